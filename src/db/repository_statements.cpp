#include <string>
#include <vector>

#include "db/repository.h"

namespace koru::db {
namespace {

const std::string kHashIndex =
    "CREATE CLUSTERED INDEX [IX_XFRHASH] ON [dbo].[XFRHASH] "
    "( "
    "    [ImportID] Asc,"
    "    [StructureID] ASC"
    ") "
    " WITH FillFactor = 80 ON [PRIMARY]";

class MssqlRepositoryStatements : public RepositoryStatements {
public:
    std::vector<std::string> dropMappingTables() const override {
        return {"drop table [dbo].[XFRTableLink]", "drop table [dbo].[XFRClause]",
                "drop table [dbo].[XFRMappings]", "drop table [dbo].[XFRStructure]"};
    }

    std::vector<std::string> createMappingTables() const override {
        // Spacing as the statements were first scripted; the server ignores it, and the
        // trailing comma of XFRClause is accepted too.
        return {
            "CREATE TABLE [dbo].[XFRTableLink] ("
            "    [ID] [int] IDENTITY (1, 1) NOT NULL ,\r\n"
            "    [StructureID] [int] NULL ,\r\n"
            "    [sourceTable] [nvarchar] (100) NULL ,\r\n"
            "    [sourceColumn] [nvarchar] (100) NULL ,\r\n"
            "    [destinTable] [nvarchar] (100) NULL ,\r\n"
            "    [destinColumn] [nvarchar] (100) NULL"
            ") ON [PRIMARY]",

            "CREATE TABLE [dbo].[XFRClause] ("
            "    [ID] [int] IDENTITY (1, 1) NOT NULL ,"
            "    [StructureID] [int] NOT NULL ,"
            "    [SourceTable] [nvarchar] (50) NOT NULL ,"
            "    [SourceColumn] [nvarchar] (50) NOT NULL ,"
            "    [Operator] [char] (10) NOT NULL ,"
            "    [Criteria] [nvarchar] (50) NOT NULL ,"
            "    [StrucOrder] [int] NOT NULL ,"
            "    [AndClause] [bit] NOT NULL ,"
            " ) ON [PRIMARY]",

            "CREATE TABLE [dbo].[XFRMappings] ("
            "    [ID] [int] IDENTITY (1, 1) NOT NULL ,"
            "    [StructureID] [int] NULL ,"
            "    [SourceTable] [nvarchar] (50) NULL ,"
            "    [SourceColumn] [nvarchar] (50) NULL ,"
            "    [DestinTable] [nvarchar] (50) NULL ,"
            "    [DestinColumn] [nvarchar] (50) NULL ,"
            "    [Level] [int] NULL"
            ") ON [PRIMARY]",

            "CREATE TABLE [dbo].[XFRStructure] ("
            "    [ID] [int] NOT NULL,"
            "    [Name] [nvarchar](20) NULL,"
            "    [ULink] [nvarchar](255) NULL,"
            "    [ULinkID] [int] NULL,"
            "    [ULinkNumeric] [bit] NULL,"
            "    [DLink] [nvarchar](255) NULL,"
            "    [DLinkID] [int] NULL,"
            "    [StyleID] [int] NULL"
            ") ON [PRIMARY]",
        };
    }

    std::vector<std::string> createMappingIndexes() const override {
        return {
            std::string("Create CLUSTERED") + "  INDEX [XF_Clause] ON [dbo].[XFRClause] ([StructureID])" +
                " WITH" + "    FILLFACTOR = 80",
            std::string("Create") + "  INDEX [XF_Clause2] ON [dbo].[XFRClause] ([SourceTable], [SourceColumn])" +
                " WITH" + "    FILLFACTOR = 80",
            std::string("Create CLUSTERED") + "   INDEX [XF_Mapping] ON [dbo].[XFRMappings] ([StructureID])" +
                " WITH" + "     FILLFACTOR = 80" + " ON [PRIMARY]",
            std::string("Create") +
                "   INDEX [XF_Mapping2] ON [dbo].[XFRMappings] ([SourceTable], [SourceColumn])" + " WITH" +
                "     FILLFACTOR = 80" + " ON [PRIMARY]",
        };
    }

    std::string addHashStructureParent() const override {
        return "Alter table xfrhash add StructureParent int NULL";
    }

    std::vector<std::string> createHashTable() const override {
        return {
            "CREATE TABLE [dbo].[XFRHASH] ("
            "    [CIIDID] [int] NULL ,"
            "    [XFRID] [nvarchar] (255) NULL,"
            "    [Parent] [nvarchar] (255) NULL,"
            "    [ImportID] [int] NOT NULL,"
            "    [StructureID] [int] NOT NULL,"
            "    [CIIDParent] [int] NULL,"
            "    [StructureParent] [int] NULL"
            " ) ON [PRIMARY]",
            kHashIndex,
        };
    }

    std::vector<std::string> updateHashIndexes() const override {
        return {
            "if exists (select * from sysindexes where name = 'XFR_Hash_1') DROP INDEX XFRHash.XFR_Hash_1 ",
            "if exists (select * from sysindexes where name = 'XFR_Hash_2') DROP INDEX XFRHash.XFR_Hash_2",
            "if not exists (select * from sysindexes where name = 'IX_XFRHASH') " + kHashIndex,
        };
    }

    std::string addTranLogUpdateImportId() const override {
        return "Alter table xfrtranlog ADD UpdateImportID [int] NULL";
    }

    std::string addTranLogMapFile() const override { return "Alter table xfrtranlog ADD MapFile [nvarchar] (255) NULL"; }

    std::string createTranLog() const override {
        return "CREATE TABLE [dbo].[XFRTranLog] ("
               "    [ID] int IDENTITY (1, 1) NOT NULL ,"
               "    [DateTime] [DateTime] NOT NULL,"
               "    [User] [nvarchar] (255) NOT NULL,"
               "    [CompName] [nvarchar] (255) NULL,"
               "    [Notes] [nvarchar] (255) NULL,"
               "    [UpdateImportID] [int] NULL"
               " ) ON [PRIMARY]";
    }
};

// A text column of at most `width` characters that compares without regard to case.
std::string text(const std::string& name, int width, bool nullable = true) {
    return "[" + name + "] nvarchar(" + std::to_string(width) + ")" + (nullable ? " NULL" : " NOT NULL") +
           " COLLATE NOCASE CHECK (length([" + name + "]) <= " + std::to_string(width) + ")";
}

const std::string kIdentity = "[ID] INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL";

class SqliteRepositoryStatements : public RepositoryStatements {
public:
    std::vector<std::string> dropMappingTables() const override {
        return {"DROP TABLE [XFRTableLink]", "DROP TABLE [XFRClause]", "DROP TABLE [XFRMappings]",
                "DROP TABLE [XFRStructure]"};
    }

    std::vector<std::string> createMappingTables() const override {
        return {
            "CREATE TABLE [XFRTableLink] (" + kIdentity + ", [StructureID] int NULL, " +
                text("sourceTable", 100) + ", " + text("sourceColumn", 100) + ", " +
                text("destinTable", 100) + ", " + text("destinColumn", 100) + ")",

            "CREATE TABLE [XFRClause] (" + kIdentity + ", [StructureID] int NOT NULL, " +
                text("SourceTable", 50, false) + ", " + text("SourceColumn", 50, false) + ", " +
                text("Operator", 10, false) + ", " + text("Criteria", 50, false) +
                ", [StrucOrder] int NOT NULL, [AndClause] bit NOT NULL)",

            "CREATE TABLE [XFRMappings] (" + kIdentity + ", [StructureID] int NULL, " +
                text("SourceTable", 50) + ", " + text("SourceColumn", 50) + ", " + text("DestinTable", 50) +
                ", " + text("DestinColumn", 50) + ", [Level] int NULL)",

            "CREATE TABLE [XFRStructure] ([ID] int NOT NULL, " + text("Name", 20) + ", " +
                text("ULink", 255) + ", [ULinkID] int NULL, [ULinkNumeric] bit NULL, " + text("DLink", 255) +
                ", [DLinkID] int NULL, [StyleID] int NULL)",

            // char(10) keeps what it stores padded with blanks to its width.
            "CREATE TRIGGER [XFRClause_Operator_Width] AFTER INSERT ON [XFRClause] "
            "WHEN length(NEW.[Operator]) < 10 BEGIN "
            "UPDATE [XFRClause] SET [Operator] = substr(NEW.[Operator] || '          ', 1, 10) "
            "WHERE [ID] = NEW.[ID]; END",
            "CREATE TRIGGER [XFRClause_Operator_Width_Update] AFTER UPDATE OF [Operator] ON [XFRClause] "
            "WHEN length(NEW.[Operator]) < 10 BEGIN "
            "UPDATE [XFRClause] SET [Operator] = substr(NEW.[Operator] || '          ', 1, 10) "
            "WHERE [ID] = NEW.[ID]; END",
        };
    }

    std::vector<std::string> createMappingIndexes() const override {
        return {
            "CREATE INDEX [XF_Clause] ON [XFRClause] ([StructureID])",
            "CREATE INDEX [XF_Clause2] ON [XFRClause] ([SourceTable], [SourceColumn])",
            "CREATE INDEX [XF_Mapping] ON [XFRMappings] ([StructureID])",
            "CREATE INDEX [XF_Mapping2] ON [XFRMappings] ([SourceTable], [SourceColumn])",
        };
    }

    std::string addHashStructureParent() const override {
        return "Alter table xfrhash add StructureParent int NULL";
    }

    std::vector<std::string> createHashTable() const override {
        return {
            "CREATE TABLE [XFRHASH] ([CIIDID] int NULL, " + text("XFRID", 255) + ", " + text("Parent", 255) +
                ", [ImportID] int NOT NULL, [StructureID] int NOT NULL, [CIIDParent] int NULL, "
                "[StructureParent] int NULL)",
            "CREATE INDEX [IX_XFRHASH] ON [XFRHASH] ([ImportID] ASC, [StructureID] ASC)",
        };
    }

    std::vector<std::string> updateHashIndexes() const override {
        return {
            "DROP INDEX IF EXISTS [XFR_Hash_1]",
            "DROP INDEX IF EXISTS [XFR_Hash_2]",
            "CREATE INDEX IF NOT EXISTS [IX_XFRHASH] ON [XFRHASH] ([ImportID] ASC, [StructureID] ASC)",
        };
    }

    std::string addTranLogUpdateImportId() const override {
        return "Alter table xfrtranlog ADD UpdateImportID [int] NULL";
    }

    std::string addTranLogMapFile() const override { return "Alter table xfrtranlog ADD " + text("MapFile", 255); }

    std::string createTranLog() const override {
        return "CREATE TABLE [XFRTranLog] (" + kIdentity + ", [DateTime] DateTime NOT NULL, " +
               text("User", 255, false) + ", " + text("CompName", 255) + ", " + text("Notes", 255) +
               ", [UpdateImportID] int NULL)";
    }
};

}  // namespace

const RepositoryStatements& mssqlRepositoryStatements() {
    static const MssqlRepositoryStatements statements;
    return statements;
}

const RepositoryStatements& sqliteRepositoryStatements() {
    static const SqliteRepositoryStatements statements;
    return statements;
}

const RepositoryStatements& repositoryStatementsFor(DestinationDialect::Kind kind) {
    return kind == DestinationDialect::Kind::Mssql ? mssqlRepositoryStatements() : sqliteRepositoryStatements();
}

}  // namespace koru::db
