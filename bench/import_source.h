#pragma once

#include <filesystem>

namespace koru::bench {

// How many rows each level of the import source holds.
struct SourceShape {
    long companies = 0;
    long departments = 0;
    long contacts = 0;

    long rows() const { return companies + departments + contacts; }
};

// `contacts` contacts under a tenth as many departments under a hundredth as many companies.
SourceShape shapeFor(long contacts);

// A SQLite file with tables Company, Department and Contact of that shape: integer keys, twelve
// non-null text columns a row (names, addresses, phones, e-mails; some with a quote, some not
// ASCII) and, for contacts, an integer employee number.
void writeImportSource(const std::filesystem::path& file, const SourceShape& shape);

}  // namespace koru::bench
