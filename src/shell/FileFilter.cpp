#include "shell/FileFilter.h"

#include <QFileInfo>

namespace corvane::ui {

QList<FileFilterEntry> ParseFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QList<FileFilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts[i], parts[i + 1].trimmed()});
    return entries;
}

QStringList ToQtNameFilters(const QString& filter) {
    QStringList result;
    for (const FileFilterEntry& entry : ParseFileFilter(filter)) {
        // Descriptions often repeat the pattern in brackets ("Raw files( *.raw )"); Qt reads the
        // last bracketed group as the pattern, so that copy is dropped and the real one appended.
        QString description = entry.Description.trimmed();
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0) description = description.left(open).trimmed();
        }
        QString patterns = entry.Pattern;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result.append(description + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')'));
    }
    return result;
}

QString DefaultSuffixFor(const QString& filter, int filterIndex) {
    const QList<FileFilterEntry> entries = ParseFileFilter(filter);
    if (filterIndex < 1 || filterIndex > entries.size()) return {};
    const QString pattern = entries[filterIndex - 1].Pattern;
    if (!pattern.startsWith(QStringLiteral("*.")) || pattern.contains(QLatin1Char(';'))) return {};
    const QString suffix = pattern.mid(2);
    if (suffix.isEmpty() || suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?'))) return {};
    return suffix;
}

QString ApplyDefaultSuffix(const QString& fileName, const QString& filter, int filterIndex) {
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty()) return fileName;
    const QString suffix = DefaultSuffixFor(filter, filterIndex);
    if (suffix.isEmpty()) return fileName;
    return fileName + QLatin1Char('.') + suffix;
}

QString WithTiffPngEntry(const char* before, const char* after) {
    QString filter = QString::fromLatin1(before) +
                     QStringLiteral("|TIFF and PNG pictures (*.tif *.tiff *.png)|*.tif;*.tiff;*.png");
    if (after[0] != '\0') filter += QLatin1Char('|') + QString::fromLatin1(after);
    return filter;
}

} // namespace corvane::ui
