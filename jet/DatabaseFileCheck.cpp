#include "jet/DatabaseFileCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <utility>
#include <vector>

#include "jet/HeaderPage.h"
#include "jet/HeaderPassword.h"

namespace speclore::jet {

namespace {

// A file descriptor opened for reading only. O_NONBLOCK keeps a FIFO or a
// device from stalling the open; no lock is ever taken.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) {}
    ~ReadOnlyFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    int fd() const { return fd_; }

    // Up to `length` bytes from the start of the file; fewer when the file
    // is shorter. Nothing when reading fails.
    bool readStart(std::vector<uint8_t>& bytes, size_t length) const {
        bytes.resize(length);
        size_t got = 0;
        while (got < length) {
            ssize_t n = ::pread(fd_, bytes.data() + got, length - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return false;
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
        return true;
    }

private:
    int fd_;
};

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The error for a file that could not be opened, from the system's reason.
AppError openFailure(int error, const std::string& path) {
    switch (error) {
    case ENOENT: return openError(isFolder(folderOf(path)) ? err::DbFileNotFound : err::DbInvalidPath, path);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return openError(err::DbInvalidPath, path);
    default: return openError(err::DbLockedOrNoPermission, path);
    }
}

// A database needs at least its header page, the page that maps page usage
// and the page that defines MSysObjects.
constexpr uint64_t kMinimumPages = 3;

struct CheckedHeader {
    HeaderPage page;
    uint64_t fileSize = 0;
};

// Opens the file read-only and checks its header page and size.
CheckedHeader readHeader(const std::string& path) {
    if (path.empty()) throw openError(err::DbFileNotFound, path);
    ReadOnlyFile file(path);
    if (file.fd() < 0) throw openFailure(errno, path);
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0) throw openFailure(errno, path);
    if (S_ISDIR(st.st_mode)) throw openError(err::DbLockedOrNoPermission, path);
    if (!S_ISREG(st.st_mode)) throw openError(err::DbUnrecognizedFormat, path);

    std::vector<uint8_t> start;
    if (!file.readStart(start, kHeaderBytesNeeded)) throw openFailure(errno, path);
    auto header = parseHeaderPage(start);
    if (!header) throw openError(err::DbUnrecognizedFormat, path);

    auto size = static_cast<uint64_t>(st.st_size);
    if (start.size() < kHeaderBytesNeeded || size < kMinimumPages * pageSizeOf(header->format))
        throw openError(err::DbCannotOpen, path);
    return {std::move(*header), size};
}

std::string lowercaseAscii(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trimSpaces(const std::string& text) {
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

AppError openError(int32_t number, const std::string& path) {
    const std::string quoted = "'" + path + "'";
    switch (number) {
    case err::DbFileNotFound: return AppError(number, "ファイル " + quoted + " が見つかりません。");
    case err::DbWorkgroupFileMissing:
        return AppError(number, "アプリケーションを起動できません。ワークグループ情報ファイル " + quoted +
                                    " が見つからないか、他のユーザーが排他的に使用しています。");
    case err::DbInvalidAccount: return AppError(number, "アカウント名またはパスワードが正しくありません。");
    case err::DbInvalidPassword: return AppError(number, "パスワードが正しくありません。");
    case err::DbInvalidPath:
        return AppError(number, quoted +
                                    " は正しいパスではありません。パス名が正しいかどうか、"
                                    "ファイルのあるサーバーに接続されているかどうかを確認してください。");
    case err::DbCannotOpen:
        return AppError(number, "データベース " + quoted +
                                    " を開けません。データベースとして認識できないファイルか、"
                                    "ファイルが破損している可能性があります。");
    case err::DbLockedOrNoPermission:
        return AppError(number, "ファイル " + quoted +
                                    " を開けません。他のユーザーが排他的に使用しているか、"
                                    "データを表示する権限がありません。");
    case err::DbUnrecognizedFormat:
        return AppError(number, "データベースの形式 " + quoted + " を認識できません。");
    default: return AppError(number);
    }
}

AppError unsupportedEncryptionError(const std::string& path) {
    return AppError(err::DbUnrecognizedFormat,
                    "データベース '" + path + "' の暗号化方式には対応していません。");
}

AppError refusedEncryptionError(const std::string& path) {
    return AppError(err::DbCannotOpen,
                    "データベース '" + path +
                        "' の暗号化情報が壊れているか、受け付けられる範囲を超えているため開けません。");
}

DatabaseFileInfo checkDatabaseFile(const std::string& path) {
    CheckedHeader checked = readHeader(path);
    return {checked.page.format, checked.fileSize};
}

std::string passwordFromConnect(const std::string& connect) {
    // "key=value" pairs separated by ";"; keys in any case, values as typed.
    size_t start = 0;
    while (start <= connect.size()) {
        size_t end = connect.find(';', start);
        if (end == std::string::npos) end = connect.size();
        std::string pair = connect.substr(start, end - start);
        auto equals = pair.find('=');
        if (equals != std::string::npos && lowercaseAscii(trimSpaces(pair.substr(0, equals))) == "pwd")
            return pair.substr(equals + 1);
        start = end + 1;
    }
    return {};
}

void checkDatabasePassword(const std::string& path, const DatabaseFileInfo& info,
                           const std::string& password) {
    if (info.format == JetFormat::Ace) return;
    const HeaderPage header = readHeader(path).page;
    if (storedPassword(header).empty()) return;
    if (!passwordMatches(header, password)) throw openError(err::DbInvalidPassword, path);
}

}  // namespace speclore::jet
