#include "bootfile/packFormat.h"

packPlan_t planPack(uint64_t stripBytes, const std::vector<packPicture_t> &pictures)
{
    std::vector<uint64_t> lengths = {packScreenRecordSize, packPaletteSize, stripBytes, 0};
    for (const packPicture_t &picture : pictures)
        lengths.push_back(packRecordSize(picture));
    lengths.push_back(stripBytes);
    lengths.push_back(0); // the end of the list

    // Computed in 64 bits: the caller refuses a pack beyond 32-bit offsets.
    packPlan_t plan{{}, packEntrySize * uint64_t(lengths.size())};
    for (uint64_t length : lengths) {
        plan.entries.push_back({length, length == 0 ? 0 : plan.size});
        plan.size += length;
    }
    return plan;
}
