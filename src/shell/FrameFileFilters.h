#pragma once
#include "shell/FileFilter.h"

#include <QString>

namespace corvane::ui {

/// The filter lists of the frame's file dialogs, in the "Description|pattern|..." form; commands
/// of other subsystems that ask for the same kinds of file use them too.

/// File Open: pictures.
inline const QString kFrameOpenPictureFilter =
    WithTiffPngEntry("Bitmaps (*.bmp)|*.bmp|Raw files(*.raw)|*.raw", "All files( *.* ) |*.*");
/// Save and Save As: pictures.
inline const QString kFrameSavePictureFilter =
    QStringLiteral("Bitmaps (*.bmp)|*.bmp|Raw files( *.raw )|*.raw|All files(*.*)|*.*");
/// Float File Open: configuration, float and code files.
inline const QString kFrameOpenFilter =
    QStringLiteral("CorRelation Config Files(*.cor)|*.cor|Float Image(*.flt)|*.flt|Codes "
                   "File( *.cod )|*.cod|All files(*.*)|*.*");
/// Save As Float: float, code and match files.
inline const QString kFrameSaveFilter = QStringLiteral(
    "Float Format(*.flt)|*.flt|Codes File(*.cod)|*.cod|Match Result(*.dat)|*.dat|All files(*.*)|*.*");

/// Export PNG.
inline const QString kFrameExportPngFilter = QStringLiteral("PNG pictures (*.png)|*.png");
/// Export Map.
inline const QString kFrameExportMapFilter =
    QStringLiteral("Float TIFF (*.tif)|*.tif|CSV table (*.csv)|*.csv|NumPy array (*.npy)|*.npy");

} // namespace corvane::ui
