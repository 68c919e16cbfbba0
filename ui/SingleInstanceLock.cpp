#include "ui/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include <QByteArray>
#include <QCryptographicHash>
#include <QStandardPaths>

namespace speclore {

SingleInstanceLock::SingleInstanceLock(std::string lockFilePath) : path_(std::move(lockFilePath)) {}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool SingleInstanceLock::tryAcquire() {
    if (fd_ >= 0) return true;
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    fd_ = fd;
    return true;
}

std::string SingleInstanceLock::lockFileFor(const std::string& executablePath) {
    QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(executablePath), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return (folder + QStringLiteral("/speclore-") + QString::fromLatin1(hash) + QStringLiteral(".lock"))
        .toStdString();
}

}  // namespace speclore
