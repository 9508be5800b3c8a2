// Linked into every GUI test program: a home and configuration folders of its own, made before
// main, so settings the editor keeps in the user's folders never reach the real user's, nor the
// next run. The font caches stay where they are, warm.
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

namespace {

struct OwnUserFolders {
    OwnUserFolders() {
        if (!home.isValid())
            return;
        if (qEnvironmentVariableIsEmpty("XDG_CACHE_HOME"))
            qputenv("XDG_CACHE_HOME", QDir::home().filePath(QStringLiteral(".cache")).toLocal8Bit());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral(".local/share")).toLocal8Bit());
    }
    QTemporaryDir home;
};

const OwnUserFolders ownUserFolders;

} // namespace
