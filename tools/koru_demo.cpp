// Creates the demo databases: a product database for the embedded destination and a source
// database to import from.
#include <cstring>
#include <iostream>

#include "db/demo_source.h"
#include "db/product_schema.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--ledgora") != 0)) {
        std::cerr << "usage: koru_demo <folder> [--ledgora]\n"
                     "creates <folder>/TICKORDB.db (or LEDGODB.db with --ledgora) and <folder>/source.db\n";
        return 2;
    }
    std::filesystem::path folder = argv[1];
    bool ledgora = argc == 3;
    std::string database = ledgora ? "LEDGODB" : "TICKORDB";
    try {
        koru::db::createProductDatabase(folder, database, ledgora ? koru::db::Product::Ledgora
                                                                  : koru::db::Product::Tickora,
                                        true);
        koru::db::createDemoSourceDatabase(folder / "source.db");
    } catch (const std::exception& error) {
        std::cerr << "koru_demo: " << error.what() << '\n';
        return 1;
    }
    std::cout << "destination: server sqlite:" << folder.string() << ", database " << database << '\n'
              << "source:      Provider=SQLite;Data Source=" << (folder / "source.db").string() << '\n';
    return 0;
}
