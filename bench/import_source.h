#pragma once

#include <filesystem>

namespace koru::bench {

// How many rows each level of the import source holds.
struct SourceShape {
    long companies = 0;
    long departments = 0;
    long contacts = 0;
    long pcs = 0;
    long software = 0;

    long rows() const { return companies + departments + contacts + pcs + software; }
    // Every eighth software row has no licence, and the mapping's clause leaves it out.
    long unlicensed() const { return software / 8; }
    long imported() const { return rows() - unlicensed(); }
};

// `contacts` contacts under a tenth as many departments under a hundredth as many companies; a
// PC for every second contact, two software rows a PC.
SourceShape shapeFor(long contacts);

// The shape of about `rows` rows in all.
SourceShape shapeForRows(long rows);

// A SQLite file with tables Company, Department, Contact, PC and Software of that shape: integer
// keys but for the PCs' asset tags, twelve non-null text columns a company, department and
// contact row (names, addresses, phones, e-mails; some with a quote, some not ASCII), four a PC
// and software row; for contacts an integer employee number, for PCs their memory.
void writeImportSource(const std::filesystem::path& file, const SourceShape& shape);

}  // namespace koru::bench
