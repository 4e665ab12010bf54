#include "import_source.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace koru::bench {
namespace {

struct Name {
    std::string_view shown;
    std::string_view mail;  // as it appears in an e-mail address
};

constexpr std::array<Name, 24> kFirstNames = {{
    {"Ann", "ann"},       {"Bob", "bob"},     {"Zoë", "zoe"},           {"Siobhán", "siobhan"},
    {"Mere", "mere"},     {"Tama", "tama"},   {"José", "jose"},         {"Renée", "renee"},
    {"Björn", "bjorn"},   {"Priya", "priya"}, {"Wei", "wei"},           {"D'Arcy", "d'arcy"},
    {"Liam", "liam"},     {"Aroha", "aroha"}, {"Margaret", "margaret"}, {"Hemi", "hemi"},
    {"Chloé", "chloe"},   {"Łucja", "lucja"}, {"Sione", "sione"},       {"Grace", "grace"},
    {"Oliver", "oliver"}, {"Mīria", "miria"}, {"Noah", "noah"},         {"Isabella", "isabella"},
}};

constexpr std::array<Name, 24> kLastNames = {{
    {"Smith", "smith"},          {"O'Brien", "obrien"},
    {"Müller", "mueller"},       {"Ngata", "ngata"},
    {"Nguyễn", "nguyen"},        {"D'Souza", "dsouza"},
    {"Wilson", "wilson"},        {"Te Awa", "teawa"},
    {"Kowalczyk", "kowalczyk"},  {"Patel", "patel"},
    {"Fa'asavalu", "faasavalu"}, {"Brown", "brown"},
    {"Ruatapu", "ruatapu"},      {"Zhang", "zhang"},
    {"García", "garcia"},        {"MacDonald", "macdonald"},
    {"O'Neill", "oneill"},       {"Tūhoe", "tuhoe"},
    {"Jones", "jones"},          {"Søndergaard", "sondergaard"},
    {"Walker", "walker"},        {"Kim", "kim"},
    {"Taylor", "taylor"},        {"Henare", "henare"},
}};

constexpr std::array<std::string_view, 16> kCompanyWords = {
    "Veltrane",  "Kōwhai",     "Harbour",    "O'Connell", "Summit", "Tasman",
    "Beacon",    "Pōhutukawa", "Northgate",  "Meridian",  "Crown",  "Brück",
    "Riverside", "Kauri",      "Silverfern", "Matariki",
};

constexpr std::array<std::string_view, 8> kCompanyKinds = {
    "Ltd", "Holdings", "& Sons", "Group", "Partners", "Trust", "Logistics", "Consulting",
};

constexpr std::array<std::string_view, 16> kDepartments = {
    "Help Desk",     "Finance",  "Sales",    "Marketing",   "Human Resources", "Legal",
    "Facilities",    "Research", "Payroll",  "Logistics",   "Procurement",     "Dispatch",
    "Customer Care", "Audit",    "Training", "Engineering",
};

constexpr std::array<std::string_view, 20> kStreets = {
    "Lambton Quay",  "Queen Street",  "Cuba Street",      "Hereford Street", "Rue de l'Église",
    "George Street", "Ōtaki Road",    "Main Road",        "Victoria Avenue", "Thorndon Quay",
    "Königstraße",   "Ponsonby Road", "O'Connell Street", "High Street",     "Willis Street",
    "Te Rapa Road",  "Kent Terrace",  "Marine Parade",    "Dominion Road",   "Jervois Road",
};

constexpr std::array<std::string_view, 16> kSuburbs = {
    "Thorndon", "Te Aro",   "Mt Eden",   "Riccarton",  "Kelburn",  "Ōnehunga",
    "Newtown",  "Ponsonby", "Karori",    "St Heliers", "Sydenham", "Remuera",
    "Petone",   "Hataitai", "Grey Lynn", "Mīramar",
};

struct City {
    std::string_view name;
    std::string_view region;
    std::string_view country;
    std::string_view dialling;
};

constexpr std::array<City, 12> kCities = {{
    {"Wellington", "Wellington", "New Zealand", "+64 4"},
    {"Auckland", "Auckland", "New Zealand", "+64 9"},
    {"Christchurch", "Canterbury", "New Zealand", "+64 3"},
    {"Tauranga", "Bay of Plenty", "New Zealand", "+64 7"},
    {"Dunedin", "Otago", "New Zealand", "+64 3"},
    {"Whangārei", "Northland", "New Zealand", "+64 9"},
    {"Sydney", "New South Wales", "Australia", "+61 2"},
    {"Zürich", "Zürich", "Switzerland", "+41 44"},
    {"São Paulo", "São Paulo", "Brazil", "+55 11"},
    {"Kraków", "Małopolskie", "Poland", "+48 12"},
    {"Dublin", "Leinster", "Ireland", "+353 1"},
    {"Montréal", "Québec", "Canada", "+1 514"},
}};

constexpr std::array<std::string_view, 6> kTitles = {"Mr", "Ms", "Mrs", "Dr", "Mx", "Prof"};

constexpr std::array<std::string_view, 14> kJobTitles = {
    "Account Manager",    "Analyst",        "Team Leader",  "Director",   "Engineer",
    "Consultant",         "Office Manager", "Receptionist", "Technician", "Coordinator",
    "Head of Department", "Buyer",          "Clerk",        "Developer",
};

constexpr std::array<std::string_view, 8> kModels = {
    "Latitude 5440", "ThinkPad T14", "EliteBook 840", "OptiPlex 7010",
    "ThinkCentre M70q", "ProBook 450", "Precision 3660", "Surface Pro 9",
};

constexpr std::array<std::string_view, 4> kSystems = {"Windows 11 Pro", "Windows 10 Pro", "Ubuntu 22.04",
                                                      "macOS 14"};

constexpr std::array<std::string_view, 12> kTitlesOfSoftware = {
    "Office Suite",   "Help Desk Client", "CAD Professional", "PDF Editor",   "Accounts Payable",
    "Backup Agent",   "Mail Client",      "Antivirus",        "Photo Studio", "Project Planner",
    "Kōrero Chat",    "Geräteverwaltung",
};

constexpr std::array<std::string_view, 6> kBuildings = {
    "Tower A", "Tower B", "Annexe", "Te Puna House", "Main Building", "Warehouse",
};

// Spreads a row number and a column over the pools; the same inputs give the same text.
std::uint64_t mix(std::uint64_t row, std::uint64_t column) {
    std::uint64_t z =
        row * 0x9E3779B97F4A7C15ull + column * 0xBF58476D1CE4E5B9ull + 0x94D049BB133111EBull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

template <typename Pool>
const auto& pick(const Pool& pool, long row, int column) {
    return pool[mix(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(column)) %
                pool.size()];
}

std::string digits(long row, int column, int count) {
    std::uint64_t value = mix(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(column));
    std::string text;
    for (int i = 0; i < count; ++i, value /= 10) text += static_cast<char>('0' + value % 10);
    return text;
}

std::string phone(const City& city, long row, int column) {
    return std::string(city.dialling) + " " + digits(row, column, 3) + " " +
           digits(row, column + 50, 4);
}

std::string street(long row, int column) {
    return std::to_string(
               1 + mix(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(column)) % 400) +
           " " + std::string(pick(kStreets, row, column + 1));
}

std::string companyName(long id) {
    return std::string(pick(kCompanyWords, id, 1)) + " " + std::string(pick(kCompanyWords, id, 2)) +
           " " + std::string(pick(kCompanyKinds, id, 3));
}

std::string domainOf(long companyId) {
    std::string domain;
    for (char c : std::string(pick(kCompanyWords, companyId, 1))) {
        if (c >= 'A' && c <= 'Z')
            domain += static_cast<char>(c - 'A' + 'a');
        else if (c >= 'a' && c <= 'z')
            domain += c;
    }
    return (domain.empty() ? "example" : domain) + std::to_string(companyId) + ".co.nz";
}

class Database {
public:
    explicit Database(const std::filesystem::path& file) {
        std::filesystem::remove(file);
        if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK) {
            throw std::runtime_error("cannot create " + file.string());
        }
    }
    ~Database() {
        for (sqlite3_stmt* statement : m_statements) sqlite3_finalize(statement);
        sqlite3_close(m_db);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void execute(const std::string& sql) {
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
    }
    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) fail(sql);
        m_statements.push_back(statement);
        return statement;
    }
    // Binds the integer keys, the texts, then the trailing integers, and runs the insert.
    void insert(sqlite3_stmt* statement, const std::vector<long>& keys,
                const std::vector<std::string>& texts, const std::vector<long>& numbers = {}) {
        int position = 1;
        for (long key : keys) sqlite3_bind_int64(statement, position++, key);
        for (const std::string& text : texts) {
            sqlite3_bind_text(statement, position++, text.data(), static_cast<int>(text.size()),
                              SQLITE_STATIC);
        }
        for (long number : numbers) sqlite3_bind_int64(statement, position++, number);
        step(statement);
    }
    // Runs an insert whose values are bound.
    void step(sqlite3_stmt* statement) {
        if (sqlite3_step(statement) != SQLITE_DONE) fail(sqlite3_sql(statement));
        sqlite3_reset(statement);
    }

private:
    [[noreturn]] void fail(const std::string& sql) {
        throw std::runtime_error(std::string("source database: ") + sqlite3_errmsg(m_db) + " in " +
                                 sql);
    }

    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_statements;
};

std::string createTable(const std::string& table, const std::vector<std::string>& keys,
                        const std::vector<std::string>& texts, const std::string& tail = "") {
    std::string sql = "CREATE TABLE " + table + " (" + keys[0] + " integer PRIMARY KEY";
    for (std::size_t i = 1; i < keys.size(); ++i) sql += ", " + keys[i] + " integer NOT NULL";
    for (const std::string& text : texts) sql += ", " + text + " varchar(50) NOT NULL";
    return sql + tail + ")";
}

std::string insertInto(const std::string& table, std::size_t columns) {
    std::string sql = "INSERT INTO " + table + " VALUES (?";
    for (std::size_t i = 1; i < columns; ++i) sql += ", ?";
    return sql + ")";
}

}  // namespace

SourceShape shapeFor(long contacts) {
    if (contacts < 100) throw std::invalid_argument("the import needs at least 100 contacts");
    return {contacts / 100, contacts / 10, contacts, contacts / 2, contacts / 2 * 2};
}

SourceShape shapeForRows(long rows) {
    // A contact comes with 0.01 companies, 0.1 departments, 0.5 PCs and 1 software row.
    return shapeFor(std::max(100L, (static_cast<long>(rows / 2.61) + 50) / 100 * 100));
}

void writeImportSource(const std::filesystem::path& file, const SourceShape& shape) {
    Database db(file);
    // Only the build of the file is sped up; the import opens it with its own settings.
    db.execute("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
    const std::vector<std::string> companyTexts = {
        "CompanyName", "Street", "Suburb", "City",  "Region", "PostCode",
        "Country",     "Phone",  "Fax",    "Email", "Web",    "AccountCode"};
    const std::vector<std::string> departmentTexts = {
        "DeptName", "Building", "Floor", "Street", "City",    "PostCode",
        "Country",  "Phone",    "Fax",   "Email",  "Manager", "CostCentre"};
    const std::vector<std::string> contactTexts = {"FirstName", "LastName", "Title",    "JobTitle",
                                                   "Phone",     "Mobile",   "Email",    "Street",
                                                   "Suburb",    "City",     "PostCode", "Country"};
    db.execute(createTable("Company", {"CompanyID"}, companyTexts));
    db.execute(createTable("Department", {"DeptID", "CompanyID"}, departmentTexts));
    db.execute(createTable("Contact", {"ContactID", "DeptID"}, contactTexts,
                           ", EmployeeNo integer NOT NULL"));
    db.execute("CREATE INDEX Department_Company ON Department (CompanyID)");
    db.execute("CREATE INDEX Contact_Department ON Contact (DeptID)");
    db.execute("CREATE TABLE PC (AssetTag varchar(20) PRIMARY KEY, ContactID integer NOT NULL, MachineName "
               "varchar(50) NOT NULL, SerialNumber varchar(50) NOT NULL, Model varchar(50) NOT NULL, "
               "OperatingSystem varchar(50) NOT NULL, MemoryMB integer NOT NULL)");
    db.execute("CREATE TABLE Software (SoftwareID integer PRIMARY KEY, AssetTag varchar(20) NOT NULL, Title "
               "varchar(50) NOT NULL, Version varchar(50) NOT NULL, Publisher varchar(50) NOT NULL, Licence "
               "varchar(50))");
    db.execute("CREATE INDEX PC_Contact ON PC (ContactID)");
    db.execute("CREATE INDEX Software_PC ON Software (AssetTag)");

    db.execute("BEGIN");
    sqlite3_stmt* company = db.prepare(insertInto("Company", 1 + companyTexts.size()));
    for (long id = 1; id <= shape.companies; ++id) {
        const City& city = pick(kCities, id, 10);
        std::string domain = domainOf(id);
        db.insert(company, {id},
                  {companyName(id), street(id, 11), std::string(pick(kSuburbs, id, 12)),
                   std::string(city.name), std::string(city.region), digits(id, 13, 4),
                   std::string(city.country), phone(city, id, 14), phone(city, id, 15),
                   "info@" + domain, "https://www." + domain, "AC-" + digits(id, 16, 6)});
    }
    // Ten departments a company, ten contacts a department.
    sqlite3_stmt* department = db.prepare(insertInto("Department", 2 + departmentTexts.size()));
    for (long id = 1; id <= shape.departments; ++id) {
        long companyId = (id - 1) % shape.companies + 1;
        const City& city = pick(kCities, companyId, 10);
        std::string name(pick(kDepartments, id, 20));
        const Name& first = pick(kFirstNames, id, 21);
        const Name& last = pick(kLastNames, id, 22);
        std::string mailbox;
        for (char c : name) {
            if (c >= 'A' && c <= 'Z')
                mailbox += static_cast<char>(c - 'A' + 'a');
            else if (c >= 'a' && c <= 'z')
                mailbox += c;
        }
        db.insert(
            department, {id, companyId},
            {name, std::string(pick(kBuildings, id, 23)),
             "Level " + std::to_string(mix(id, 24) % 30), street(id, 25), std::string(city.name),
             digits(id, 26, 4), std::string(city.country), phone(city, id, 27), phone(city, id, 28),
             mailbox + "@" + domainOf(companyId),
             std::string(first.shown) + " " + std::string(last.shown), "CC" + digits(id, 29, 5)});
    }
    sqlite3_stmt* contact = db.prepare(insertInto("Contact", 2 + contactTexts.size() + 1));
    for (long id = 1; id <= shape.contacts; ++id) {
        long departmentId = (id - 1) % shape.departments + 1;
        long companyId = (departmentId - 1) % shape.companies + 1;
        const City& city = pick(kCities, companyId, 10);
        const Name& first = pick(kFirstNames, id, 30);
        const Name& last = pick(kLastNames, id, 31);
        std::string mail = std::string(first.mail) + "." + std::string(last.mail) +
                           std::to_string(id % 97) + "@" + domainOf(companyId);
        db.insert(contact, {id, departmentId},
                  {std::string(first.shown), std::string(last.shown),
                   std::string(pick(kTitles, id, 32)), std::string(pick(kJobTitles, id, 33)),
                   phone(city, id, 34), "+64 21 " + digits(id, 35, 7), mail, street(id, 36),
                   std::string(pick(kSuburbs, id, 37)), std::string(city.name), digits(id, 38, 4),
                   std::string(city.country)},
                  {10000 + id});
    }
    // PC n belongs to contact 2n - 1; software row n to PC (n + 1) / 2.
    auto assetTag = [](long id) { return "PC-" + digits(id, 40, 2) + "-" + std::to_string(100000 + id); };
    sqlite3_stmt* pc = db.prepare(insertInto("PC", 7));
    for (long id = 1; id <= shape.pcs; ++id) {
        long contactId = 2 * id - 1;
        std::string tag = assetTag(id);
        std::string machine = std::string(pick(kFirstNames, contactId, 30).mail) + "-" + digits(id, 41, 4);
        for (char& c : machine) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        std::string texts[] = {machine, "SN-" + digits(id, 42, 10), std::string(pick(kModels, id, 43)),
                               std::string(pick(kSystems, id, 44))};
        int position = 1;
        sqlite3_bind_text(pc, position++, tag.data(), static_cast<int>(tag.size()), SQLITE_STATIC);
        sqlite3_bind_int64(pc, position++, contactId);
        for (const std::string& text : texts) {
            sqlite3_bind_text(pc, position++, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        }
        sqlite3_bind_int64(pc, position++, 4096L << (mix(id, 45) % 4));
        db.step(pc);
    }
    sqlite3_stmt* software = db.prepare(insertInto("Software", 6));
    for (long id = 1; id <= shape.software; ++id) {
        std::string tag = assetTag((id + 1) / 2);
        std::string texts[] = {std::string(pick(kTitlesOfSoftware, id, 50)),
                               std::to_string(mix(id, 51) % 20) + "." + digits(id, 52, 1),
                               std::string(pick(kCompanyWords, id, 53)) + " Software"};
        std::string licence = "LIC-" + digits(id, 54, 8);
        int position = 1;
        sqlite3_bind_int64(software, position++, id);
        sqlite3_bind_text(software, position++, tag.data(), static_cast<int>(tag.size()), SQLITE_STATIC);
        for (const std::string& text : texts) {
            sqlite3_bind_text(software, position++, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        }
        if (id % 8 == 0) {
            sqlite3_bind_null(software, position++);
        } else {
            sqlite3_bind_text(software, position++, licence.data(), static_cast<int>(licence.size()), SQLITE_STATIC);
        }
        db.step(software);
    }
    db.execute("COMMIT");
}

}  // namespace koru::bench
