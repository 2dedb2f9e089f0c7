// Correlation configuration files: read every group, write each one and read it back. The writer
// prints numbers with six decimals, so a group is compared in its written form: writing what was
// read back must give the same text again.
#include "FuzzCheck.h"
#include "correlation/CorRelationConfig.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A name without a folder: the names of the groups stay as they are written.
    const std::string name = "fuzz.cor";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<TCorRelationPara> groups;
    try {
        groups = ReadConfigText(text, name);
    } catch (const CorvaneError& e) {
        fuzz::Check(std::string_view(e.what()).starts_with("Read CorRelation Config file ERROR!!!"));
        return 0;
    }
    for (const TCorRelationPara& group : groups) {
        const std::string written = ConfigFileText(group);
        const std::vector<TCorRelationPara> back = ReadConfigText(written, name);
        fuzz::Check(back.size() == 1);
        for (const auto field : TCorRelationPara::FileNameFields())
            fuzz::Check(back[0].*field == group.*field);
        fuzz::Check(ConfigFileText(back[0]) == written);
    }
    return 0;
}
