#pragma once

#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/connection_string.h"
#include "db/demo_source.h"
#include "db/product_schema.h"
#include "db/sqlite_connection.h"
#include "support/embedded_destination.h"
#include "support/temp_home.h"

namespace koru::test {

struct Outcome {
    int status;  // the exit status; 128 + the signal for a process a signal ended
    std::string err;
    std::string out;
};

// A program folder with the demo mapping, settings pointing at a source and an embedded
// destination of its own; the real program runs in it.
class UnattendedProgram {
protected:
    UnattendedProgram() {
        db::createProductDatabase(home.path(), "TICKORDB", db::Product::Tickora, true);
        db::createDemoSourceDatabase(home.path() / "source.db");
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(KORU_FIXTURES_DIR) / "unattended")) {
            std::filesystem::copy_file(entry.path(), home.path() / entry.path().filename());
        }
        settings("sqlite:" + home.path().string());
    }

    // The settings file: the destination server, and the source (the demo file unless given).
    void settings(const std::string& server, std::string source = "") {
        if (source.empty()) source = "Provider=SQLite;Data Source=" + (home.path() / "source.db").string();
        std::ofstream(home.path() / "ConnSet", std::ios::binary)
            << "Veltrane Data Import Utility Connection Settings File\r\n\r\n\r\n"
            << source << "\r\n\r\n" << server << "\r\nadmin\r\n";
    }

    // Copies the demo source into another database: every table with its rows, as SQL literals
    // from SQLite's quote(); names between `quote` characters, or plain when it is empty, and in
    // lower case when `lowerCase`.
    void copyDemoSource(db::Connection& target, const std::string& quote, bool lowerCase = false) {
        db::SqliteConnection demo;
        demo.open("Provider=SQLite;Data Source=" + (home.path() / "source.db").string());
        auto named = [&](std::string name) {
            if (lowerCase) {
                for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            return quote + name + quote;
        };
        auto tables = demo.query("SELECT name FROM sqlite_master WHERE type = 'table'");
        while (tables->next()) {
            const std::string name = *tables->value(0);
            const std::string table = named(name);
            std::string columns, literals;
            auto info = demo.query("SELECT name, type FROM pragma_table_info('" + name + "')");
            while (info->next()) {
                columns += (columns.empty() ? "" : ", ") + named(*info->value(0)) + " " + *info->value(1);
                literals += (literals.empty() ? "" : " || ', ' || ") + ("quote([" + *info->value(0) + "])");
            }
            target.execute("CREATE TABLE " + table + " (" + columns + ")");
            auto data = demo.query("SELECT " + literals + " FROM [" + name + "]");
            while (data->next()) target.execute("INSERT INTO " + table + " VALUES (" + *data->value(0) + ")");
        }
    }

    // `launcher` goes before the program: settings "NAME='value' ", or a command that runs it.
    Outcome run(const std::string& arguments, const std::string& launcher = "") {
        std::filesystem::path err = home.path() / "stderr.txt";
        std::filesystem::path out = home.path() / "stdout.txt";
        std::string command = "exec env KORU_HOME='" + home.path().string() + "' " + launcher +
                              KORU_BINARY + " " + arguments + " >'" + out.string() + "' 2>'" +
                              err.string() + "'";
        int status = std::system(command.c_str());
        return {WIFEXITED(status)     ? WEXITSTATUS(status)
                : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                      : -1,
                home.read("stderr.txt"), home.read("stdout.txt")};
    }
    Outcome import(char update, const std::string& launcher = "") {
        return run(
            std::string("\"/MapFile='demo.xfo'\" /Product=tickora /UserID=admin \"/Update='") +
                update + "'\"",
            launcher);
    }

    std::string rows(const std::string& sql) {
        db::SqliteConnection destination;
        destination.open(db::embeddedDestinationString(home.path(), "TICKORDB"));
        return rowsOf(destination, sql);
    }
    void changeSource(const std::string& sql) {
        db::SqliteConnection source;
        source.open("Provider=SQLite;Data Source=" + (home.path() / "source.db").string());
        source.execute(sql);
    }
    bool logged(const std::string& text) {
        return home.read("XFRLog.log").find(text) != std::string::npos;
    }

    TempHome home;
};

}  // namespace koru::test
