// Desktop entries: lookup by id, the [Desktop Entry] keys, Exec expansion.
#include "ui/customize/desktop_entry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace plindar {

namespace {

constexpr char kApplicationsFolder[] = "/applications";
constexpr char kDefaultDataHome[] = "/.local/share";
constexpr char kDefaultDataDirs[] = "/usr/local/share:/usr/share";
constexpr char kEntryGroup[] = "[Desktop Entry]";
// An entry is a small text file; anything far larger is not one.
constexpr qint64 kMaxEntryBytes = 1024 * 1024;

// The escapes a desktop entry allows in a value of type "string" (\s, \n, \t, \r, \\).
QString UnescapeValue(const QString& raw) {
    QString value;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            value += raw[i];
            continue;
        }
        const QChar next = raw[++i];
        if (next == 's') {
            value += ' ';
        } else if (next == 'n') {
            value += '\n';
        } else if (next == 't') {
            value += '\t';
        } else if (next == 'r') {
            value += '\r';
        } else if (next == '\\') {
            value += '\\';
        } else {
            // Not a string escape: the Exec quoting below reads it.
            value += '\\';
            value += next;
        }
    }
    return value;
}

// Splits at unquoted blanks. Inside double quotes a backslash escapes " ` $ and
// itself. False for an unterminated quote.
bool SplitExecLine(const QString& exec, QStringList* arguments) {
    QString current;
    bool in_argument = false;
    bool in_quotes = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (in_quotes) {
            if (c == '"') {
                in_quotes = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       QStringLiteral("\"`$\\").contains(exec[i + 1])) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (in_argument) {
                arguments->append(current);
                current.clear();
                in_argument = false;
            }
        } else if (c == '"') {
            in_quotes = true;
            in_argument = true;
        } else {
            current += c;
            in_argument = true;
        }
    }
    if (in_quotes) {
        return false;
    }
    if (in_argument) {
        arguments->append(current);
    }
    return true;
}

bool IsFileCode(QChar code) {
    return code == 'f' || code == 'F' || code == 'u' || code == 'U';
}

}  // namespace

QStringList DesktopEntryFolders() {
    QStringList folders;
    QString data_home = qEnvironmentVariable("XDG_DATA_HOME");
    if (data_home.isEmpty()) {
        data_home = QDir::homePath() + QString::fromUtf8(kDefaultDataHome);
    }
    folders.append(data_home + QString::fromUtf8(kApplicationsFolder));
    QString data_dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (data_dirs.isEmpty()) {
        data_dirs = QString::fromUtf8(kDefaultDataDirs);
    }
    for (const QString& folder : data_dirs.split(':', Qt::SkipEmptyParts)) {
        folders.append(folder + QString::fromUtf8(kApplicationsFolder));
    }
    return folders;
}

QString FindDesktopEntry(const QString& id, const QStringList& folders) {
    if (id.isEmpty() || id.contains('/') || id == "." || id == "..") {
        return QString();
    }
    for (const QString& folder : folders) {
        const QString direct = folder + '/' + id;
        if (QFileInfo(direct).isFile()) {
            return direct;
        }
        // "vendor-app.desktop" may live at vendor/app.desktop.
        QDirIterator entries(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                             QDirIterator::Subdirectories);
        const QDir root(folder);
        while (entries.hasNext()) {
            const QString path = entries.next();
            if (root.relativeFilePath(path).replace('/', '-') == id) {
                return path;
            }
        }
    }
    return QString();
}

bool ReadDesktopEntry(const QString& path, desktop_entry_stu* entry) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntryBytes) {
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    bool in_group = false;
    bool has_exec = false;
    *entry = desktop_entry_stu{};
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            in_group = line == QString::fromUtf8(kEntryGroup);
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!in_group || line.startsWith('#') || equals <= 0) {
            continue;
        }
        // Localised keys (Name[de]) do not match: the plain key is the fallback
        // every entry has.
        const QString key = line.left(equals).trimmed();
        const QString value = UnescapeValue(line.mid(equals + 1).trimmed());
        if (key == "Exec") {
            entry->exec = value;
            has_exec = true;
        } else if (key == "Name") {
            entry->name = value;
        } else if (key == "Icon") {
            entry->icon = value;
        }
    }
    return has_exec;
}

QStringList ExpandExecLine(const QString& exec, const QString& file, const desktop_entry_stu& entry,
                           const QString& entry_path) {
    QStringList split;
    if (!SplitExecLine(exec, &split) || split.isEmpty()) {
        return {};
    }
    const QString url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    QStringList command;
    bool file_given = false;
    for (const QString& argument : split) {
        // Codes that stand for whole arguments.
        if (argument == "%i") {
            if (!entry.icon.isEmpty()) {
                command << QStringLiteral("--icon") << entry.icon;
            }
            continue;
        }
        if (argument.size() == 2 && argument[0] == '%' && IsFileCode(argument[1])) {
            command << (argument[1].toLower() == 'f' ? file : url);
            file_given = true;
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] != '%' || i + 1 == argument.size()) {
                expanded += argument[i];
                continue;
            }
            const QChar code = argument[++i];
            if (code == '%') {
                expanded += '%';
            } else if (code == 'f' || code == 'F') {
                expanded += file;
                file_given = true;
            } else if (code == 'u' || code == 'U') {
                expanded += url;
                file_given = true;
            } else if (code == 'c') {
                expanded += entry.name;
            } else if (code == 'k') {
                expanded += entry_path;
            }
            // Deprecated and unknown codes are removed.
        }
        if (expanded.isEmpty() && !argument.isEmpty()) {
            continue;  // it held nothing but codes that are removed
        }
        command << expanded;
    }
    if (command.isEmpty() || command.front().isEmpty()) {
        return {};
    }
    if (!file_given) {
        command << file;
    }
    return command;
}

}  // namespace plindar
