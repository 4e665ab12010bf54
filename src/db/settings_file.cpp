#include "db/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "diag/program_folder.h"
#include "diag/text_encoding.h"

namespace koru::db {
namespace {

constexpr std::string_view kSettingsFile = "\\ConnSet";
constexpr std::string_view kHeader = "Veltrane Data Import Utility Connection Settings File";

}  // namespace

diag::ErrorRecord fileErrorRecord(int error) {
    // The numbers the platform's file functions raise.
    switch (error) {
        case ENOENT: return {53, "File not found"};
        case EACCES:
        case EPERM:
        case EROFS: return {70, "Permission denied"};
        case ENOSPC: return {61, "Disk full"};
        default: return {75, std::string("Path/File access error: ") + std::strerror(error)};
    }
}

bool ut_save_conn_settings(const ConnectionSettings& settings, diag::ErrorReporter& reporter) {
    std::filesystem::path path = diag::programFile(kSettingsFile);
    std::string content = std::string(kHeader) + "\r\n\r\n\r\n" + settings.sourceConnectionString +
                          "\r\n\r\n" + settings.server + "\r\n" + settings.userId + "\r\n";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        reporter.UT_Report_Error(fileErrorRecord(errno), "ut_save_conn_settings", "");
        return false;
    }
    ::fchmod(fd, 0600);  // an older file may have been readable by others
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            reporter.UT_Report_Error(fileErrorRecord(error), "ut_save_conn_settings", "");
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::close(fd) != 0) {
        reporter.UT_Report_Error(fileErrorRecord(errno), "ut_save_conn_settings", "");
        return false;
    }
    return true;
}

ConnectionSettings ut_load_conn_settings(diag::ErrorReporter& reporter) {
    ConnectionSettings settings;
    std::filesystem::path path = diag::programFile(kSettingsFile);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        int error = errno;
        if (error != ENOENT) reporter.UT_Report_Error(fileErrorRecord(error), "ut_load_conn_settings", "");
        return settings;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    std::istringstream text(diag::decodeText(bytes.str()));
    std::string lines[7];
    for (std::string& line : lines) {
        if (!std::getline(text, line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    settings.sourceConnectionString = lines[3];
    settings.server = lines[5];
    settings.userId = lines[6];
    return settings;
}

}  // namespace koru::db
