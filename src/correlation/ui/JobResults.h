#pragma once
#include <QString>
#include <QStringList>

namespace corvane::ui {

class TCompute;

/// Where a finished correlation job left its files, for the status window.
struct TJobResults {
    QString Folder;        ///< the folder of the displacement table
    QStringList Files;     ///< the files it wrote that exist, bare names
    QStringList FloatMaps; ///< full names of its float maps that exist: dx, dy, correlation, gradients
};

/// The results of a job that ended without error: the files of its group, or of the last group of
/// its configuration file (each group writes its own). Files that are not there are left out.
TJobResults ResultsOf(const TCompute& job);

} // namespace corvane::ui
