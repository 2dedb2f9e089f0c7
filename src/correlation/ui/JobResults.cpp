#include "correlation/ui/JobResults.h"

#include "correlation/CorRelationConfig.h"
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
    if (group.OutputBin)
        for (const std::string* name : {&group.BinXFile, &group.BinYFile})
            add(*name, true);
    return results;
}

} // namespace corvane::ui
