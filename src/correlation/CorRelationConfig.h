#pragma once
#include <string>
#include <vector>

#include "correlation/TCorRelationPara.h"

namespace corvane {

/// Reads every group of a configuration file; the ten names of each group are prefixed with the
/// file's folder. Throws "Read CorRelation Config file ERROR!!!" when the file cannot be opened,
/// and names the first line that does not match its pattern.
std::vector<TCorRelationPara> ReadConfigFile(const std::string& fileName);
/// Writes a one-group file with the names as held; throws "write CorRelation Config file ERROR!!!".
void WriteConfigFile(const std::string& fileName, const TCorRelationPara& para);
/// Writes the default file; throws "Generate CorRelation Config file ERROR!!!".
void GenerateConfigFile(const std::string& fileName);

} // namespace corvane
