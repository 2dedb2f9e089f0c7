#include "correlation/ui/JobResults.h"

#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationMaps.h"
#include "correlation/ui/TCompute.h"

#include <QFileInfo>

#include <vector>

namespace corvane::ui {

TJobResults ResultsOf(const TCompute& job) {
    TJobResults results;
    TCorRelationPara group = job.Group;
    if (!job.FromGroup) {
        std::vector<TCorRelationPara> groups;
        try {
            groups = ReadConfigFile(job.ConfigFile);
        } catch (...) {
            // The file changed since the job read it: there is nothing certain to tell.
            return results;
        }
        if (groups.empty()) return results;
        group = groups.back();
    }
    results.Folder = QFileInfo(QString::fromStdString(group.XYFile)).absolutePath();
    const auto add = [&](const std::string& name, bool floatMap) {
        const QFileInfo file(QString::fromStdString(name));
        if (!file.isFile()) return;
        results.Files << file.fileName();
        if (floatMap) results.FloatMaps << file.absoluteFilePath();
    };
    for (const std::string* name : {&group.XYFile, &group.ThetaRFile, &group.InfoFile})
        add(*name, false);
    if (group.OutputGray)
        for (const std::string* name : {&group.GrayXFile, &group.GrayYFile})
            add(*name, false);
    // Fast groups write no maps; a normal one writes dx, dy and its correlation map, and, refined,
    // the four gradient maps.
    if (group.OutputBin && group.FastCompute != 1) {
        for (const std::string* name : {&group.BinXFile, &group.BinYFile})
            add(*name, true);
        add(CorrelationFileName(group), true);
        if (group.SubpixelRefinement == 1)
            for (const std::string& name : GradientFileNames(group))
                add(name, true);
    }
    return results;
}

} // namespace corvane::ui
