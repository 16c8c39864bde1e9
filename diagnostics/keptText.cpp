#include "diagnostics/keptText.h"

#include <unordered_set>

const char *keptText(const std::string &text)
{
    // Node-based, so the stored strings never move; reachable for the whole
    // run, so leak checkers do not count the texts.
    static std::unordered_set<std::string> texts;
    return texts.insert(text).first->c_str();
}
