// Colour tables of the colour-map view, as data.
#include "image/ColourMapTables.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {
// Perceptually uniform, one-signed fields: the published 256-entry viridis table (van der Walt and
// Smith, 2015), quantised to 8 bits per channel, as 0xRRGGBB.
// clang-format off
constexpr std::uint32_t kViridis[256] = {
    0x440154, 0x440255, 0x440357, 0x450558, 0x45065A, 0x45085B, 0x46095C, 0x460B5E,
    0x460C5F, 0x460E61, 0x470F62, 0x471163, 0x471265, 0x471466, 0x471567, 0x471669,
    0x47186A, 0x48196B, 0x481A6C, 0x481C6E, 0x481D6F, 0x481E70, 0x482071, 0x482172,
    0x482273, 0x482374, 0x472575, 0x472676, 0x472777, 0x472878, 0x472A79, 0x472B7A,
    0x472C7B, 0x462D7C, 0x462F7C, 0x46307D, 0x46317E, 0x45327F, 0x45347F, 0x453580,
    0x453681, 0x443781, 0x443982, 0x433A83, 0x433B83, 0x433C84, 0x423D84, 0x423E85,
    0x424085, 0x414186, 0x414286, 0x404387, 0x404487, 0x3F4587, 0x3F4788, 0x3E4888,
    0x3E4989, 0x3D4A89, 0x3D4B89, 0x3D4C89, 0x3C4D8A, 0x3C4E8A, 0x3B508A, 0x3B518A,
    0x3A528B, 0x3A538B, 0x39548B, 0x39558B, 0x38568B, 0x38578C, 0x37588C, 0x37598C,
    0x365A8C, 0x365B8C, 0x355C8C, 0x355D8C, 0x345E8D, 0x345F8D, 0x33608D, 0x33618D,
    0x32628D, 0x32638D, 0x31648D, 0x31658D, 0x31668D, 0x30678D, 0x30688D, 0x2F698D,
    0x2F6A8D, 0x2E6B8E, 0x2E6C8E, 0x2E6D8E, 0x2D6E8E, 0x2D6F8E, 0x2C708E, 0x2C718E,
    0x2C728E, 0x2B738E, 0x2B748E, 0x2A758E, 0x2A768E, 0x2A778E, 0x29788E, 0x29798E,
    0x287A8E, 0x287A8E, 0x287B8E, 0x277C8E, 0x277D8E, 0x277E8E, 0x267F8E, 0x26808E,
    0x26818E, 0x25828E, 0x25838D, 0x24848D, 0x24858D, 0x24868D, 0x23878D, 0x23888D,
    0x23898D, 0x22898D, 0x228A8D, 0x228B8D, 0x218C8D, 0x218D8C, 0x218E8C, 0x208F8C,
    0x20908C, 0x20918C, 0x1F928C, 0x1F938B, 0x1F948B, 0x1F958B, 0x1F968B, 0x1E978A,
    0x1E988A, 0x1E998A, 0x1E998A, 0x1E9A89, 0x1E9B89, 0x1E9C89, 0x1E9D88, 0x1E9E88,
    0x1E9F88, 0x1EA087, 0x1FA187, 0x1FA286, 0x1FA386, 0x20A485, 0x20A585, 0x21A685,
    0x21A784, 0x22A784, 0x23A883, 0x23A982, 0x24AA82, 0x25AB81, 0x26AC81, 0x27AD80,
    0x28AE7F, 0x29AF7F, 0x2AB07E, 0x2BB17D, 0x2CB17D, 0x2EB27C, 0x2FB37B, 0x30B47A,
    0x32B57A, 0x33B679, 0x35B778, 0x36B877, 0x38B976, 0x39B976, 0x3BBA75, 0x3DBB74,
    0x3EBC73, 0x40BD72, 0x42BE71, 0x44BE70, 0x45BF6F, 0x47C06E, 0x49C16D, 0x4BC26C,
    0x4DC26B, 0x4FC369, 0x51C468, 0x53C567, 0x55C666, 0x57C665, 0x59C764, 0x5BC862,
    0x5EC961, 0x60C960, 0x62CA5F, 0x64CB5D, 0x67CC5C, 0x69CC5B, 0x6BCD59, 0x6DCE58,
    0x70CE56, 0x72CF55, 0x74D054, 0x77D052, 0x79D151, 0x7CD24F, 0x7ED24E, 0x81D34C,
    0x83D34B, 0x86D449, 0x88D547, 0x8BD546, 0x8DD644, 0x90D643, 0x92D741, 0x95D73F,
    0x97D83E, 0x9AD83C, 0x9DD93A, 0x9FD938, 0xA2DA37, 0xA5DA35, 0xA7DB33, 0xAADB32,
    0xADDC30, 0xAFDC2E, 0xB2DD2C, 0xB5DD2B, 0xB7DD29, 0xBADE27, 0xBDDE26, 0xBFDF24,
    0xC2DF22, 0xC5DF21, 0xC7E01F, 0xCAE01E, 0xCDE01D, 0xCFE11C, 0xD2E11B, 0xD4E11A,
    0xD7E219, 0xDAE218, 0xDCE218, 0xDFE318, 0xE1E318, 0xE4E318, 0xE7E419, 0xE9E419,
    0xECE41A, 0xEEE51B, 0xF1E51C, 0xF3E51E, 0xF6E61F, 0xF8E621, 0xFAE622, 0xFDE724,
};
// clang-format on

// Signed fields: the published smooth cool-warm diverging map (K. Moreland, "Diverging Color Maps
// for Scientific Visualization", 2009), its 33 control colours in linear steps from 0 to 1, red,
// green and blue in 0..1; white-grey in the middle.
// clang-format off
constexpr float kCoolWarm[33][3] = {
    {0.2298057f, 0.298717966f, 0.753683153f},
    {0.26623388f, 0.353094838f, 0.801466763f},
    {0.30386891f, 0.406535296f, 0.84495867f},
    {0.342804478f, 0.458757618f, 0.883725899f},
    {0.38301334f, 0.50941904f, 0.917387822f},
    {0.424369608f, 0.558148092f, 0.945619588f},
    {0.46666708f, 0.604562568f, 0.968154911f},
    {0.509635204f, 0.648280772f, 0.98478814f},
    {0.552953156f, 0.688929332f, 0.995375608f},
    {0.596262162f, 0.726149107f, 0.999836203f},
    {0.639176211f, 0.759599947f, 0.998151185f},
    {0.681291281f, 0.788964712f, 0.990363227f},
    {0.722193294f, 0.813952739f, 0.976574709f},
    {0.761464949f, 0.834302879f, 0.956945269f},
    {0.798691636f, 0.849786142f, 0.931688648f},
    {0.833466556f, 0.860207984f, 0.901068838f},
    {0.865395197f, 0.86541021f, 0.865395561f},
    {0.897787179f, 0.848937047f, 0.820880546f},
    {0.924127593f, 0.827384882f, 0.774508472f},
    {0.944468518f, 0.800927443f, 0.726736146f},
    {0.958852946f, 0.769767752f, 0.678007945f},
    {0.96732803f, 0.734132809f, 0.628751763f},
    {0.969954137f, 0.694266682f, 0.579375448f},
    {0.966811177f, 0.650421156f, 0.530263762f},
    {0.958003065f, 0.602842431f, 0.481775914f},
    {0.943660866f, 0.551750968f, 0.434243684f},
    {0.923944917f, 0.49730856f, 0.387970225f},
    {0.89904617f, 0.439559467f, 0.343229596f},
    {0.869186849f, 0.378313092f, 0.300267182f},
    {0.834620542f, 0.312874446f, 0.259301199f},
    {0.795631745f, 0.24128379f, 0.220525627f},
    {0.752534934f, 0.157246067f, 0.184115123f},
    {0.705673158f, 0.01555616f, 0.150232812f},
};
// clang-format on

ColourTableEntries FromPacked(const std::uint32_t (&packed)[256]) {
    ColourTableEntries table{};
    for (std::size_t i = 0; i < 256; ++i) {
        table[i] = {static_cast<std::uint8_t>(packed[i] >> 16), static_cast<std::uint8_t>(packed[i] >> 8),
                    static_cast<std::uint8_t>(packed[i])};
    }
    return table;
}

// 256 entries by linear interpolation between the control colours, as the map's author recommends for
// this table; entry 0 and entry 255 are the first and the last control colour exactly.
ColourTableEntries Interpolated(const float (&control)[33][3]) {
    ColourTableEntries table{};
    for (std::size_t i = 0; i < 256; ++i) {
        const double at = static_cast<double>(i) * 32.0 / 255.0;
        const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(at), 31);
        const double f = at - static_cast<double>(k);
        for (std::size_t c = 0; c < 3; ++c) {
            const double v =
                static_cast<double>(control[k][c]) * (1.0 - f) + static_cast<double>(control[k + 1][c]) * f;
            table[i][c] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
        }
    }
    return table;
}

} // namespace

const ColourTableEntries& ColourTableOf(ColourTable table) {
    static const ColourTableEntries viridis = FromPacked(kViridis);
    static const ColourTableEntries coolWarm = Interpolated(kCoolWarm);
    return table == ColourTable::Viridis ? viridis : coolWarm;
}

} // namespace corvane
