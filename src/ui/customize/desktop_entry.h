// Desktop entries (.desktop files): finding the one a desktop file id names and
// turning its Exec line into the command that opens a file.
#pragma once

#include <QString>
#include <QStringList>

namespace plindar {

// The folders that hold desktop entries, most important first:
// $XDG_DATA_HOME/applications (default ~/.local/share/applications), then
// applications/ under each folder of $XDG_DATA_DIRS (default /usr/local/share and
// /usr/share).
QStringList DesktopEntryFolders();

// The file of desktop file id `id` ("libreoffice-calc.desktop") in the first folder
// that has it: the id is the path below the folder with '/' written as '-'. Empty
// when no folder has it or the id is not a file name.
QString FindDesktopEntry(const QString& id, const QStringList& folders);

// What a desktop entry's [Desktop Entry] group says, as far as opening a file
// needs it. Values keep their escapes except the string escapes \s \n \t \r \\.
struct desktop_entry_stu {
    QString exec;
    QString name;
    QString icon;
};

// False when the file cannot be read or has no Exec key in [Desktop Entry].
bool ReadDesktopEntry(const QString& path, desktop_entry_stu* entry);

// The program and its arguments from an Exec line for one local file: arguments
// quoted with double quotes and backslashes as desktop entries write them, %f and
// %F the file's path, %u and %U
// its file: URL, %i "--icon" and the icon (nothing without one), %c the name, %k
// the entry's path, %% a percent sign; other codes drop out. A line without a file
// code gets the path as its last argument. Empty when the line holds no program or
// its quoting is broken.
QStringList ExpandExecLine(const QString& exec, const QString& file, const desktop_entry_stu& entry,
                           const QString& entry_path);

}  // namespace plindar
