#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "correlation/TCorRelationPara.h"

namespace corvane {

/// Reads every group of a configuration file; the ten names of each group are prefixed with the
/// file's folder. Throws "Read CorRelation Config file ERROR!!!" when the file cannot be opened,
/// and names the first line that does not match its pattern.
/// A name holding a control character does not match its line.
std::vector<TCorRelationPara> ReadConfigFile(const std::string& fileName);
/// The same from the text of a configuration file; fileName gives the folder and nothing is read.
std::vector<TCorRelationPara> ReadConfigText(std::string_view text, const std::string& fileName);
/// The text of a one-group file with the names as held.
std::string ConfigFileText(const TCorRelationPara& para);
/// Writes ConfigFileText to the file; throws "write CorRelation Config file ERROR!!!".
void WriteConfigFile(const std::string& fileName, const TCorRelationPara& para);
/// Writes the default file; throws "Generate CorRelation Config file ERROR!!!".
void GenerateConfigFile(const std::string& fileName);

} // namespace corvane
