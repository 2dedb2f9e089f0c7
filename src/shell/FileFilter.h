#pragma once
#include <QString>
#include <QStringList>

namespace corvane::ui {

/// One entry of a "Description|pattern|Description|pattern" filter list.
struct FileFilterEntry {
    QString Description;
    QString Pattern; ///< "*.bmp", "*.*" or several patterns separated by ';'
};

/// Splits the "Description|pattern|..." form into its entries; a trailing description without
/// a pattern is dropped.
QList<FileFilterEntry> ParseFileFilter(const QString& filter);

/// The same filters as Qt name filters ("Bitmaps (*.bmp)"), in the same order.
QStringList ToQtNameFilters(const QString& filter);

/// The extension (without dot) a file chosen under filter number filterIndex (from 1) receives
/// when it has none: the filter's single concrete pattern ("*.bmp" -> "bmp"); none for "*.*",
/// several patterns, or an index outside the list.
QString DefaultSuffixFor(const QString& filter, int filterIndex);

/// fileName with the default suffix of the chosen filter appended when the name has no extension.
QString ApplyDefaultSuffix(const QString& fileName, const QString& filter, int filterIndex);

/// An open dialog's filter list that offers TIFF and PNG pictures besides its own picture kinds:
/// before, "TIFF and PNG pictures (*.tif *.tiff *.png)|*.tif;*.tiff;*.png", after (each part in the
/// "Description|pattern|..." form, without outer bars).
QString WithTiffPngEntry(const char* before, const char* after);

} // namespace corvane::ui
