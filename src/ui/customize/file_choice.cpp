// The page's open-file dialog and filter conversion.
#include "ui/customize/file_choice.h"

#include <QFileDialog>
#include <QStringList>

namespace plindar {

QString QtFileFilter(const QString& paired) {
    const QStringList parts = paired.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        if (description.isEmpty() || patterns.isEmpty()) {
            continue;
        }
        const QString list = '(' + patterns.join(' ') + ')';
        const qsizetype open = description.lastIndexOf('(');
        const qsizetype close = description.lastIndexOf(')');
        if (open >= 0 && close > open) {
            entries << description.left(open) + list + description.mid(close + 1);
        } else {
            entries << description + ' ' + list;
        }
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> ChooseOpenFile(QWidget* owner, const QString& filter) {
    const QString path = QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace plindar
