#include "studio/boardAnswers.h"

#include <cstdio>

namespace {

std::string boxJson(const boardBox_t &box)
{
    char text[100];
    snprintf(text, sizeof text, "[%d,%d,%u,%u]", box.x, box.y, box.width, box.height);
    return text;
}

const char *const descriptionName = "splash.txt";

} // namespace

std::string jsonString(const std::string &text)
{
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += char(c);
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
        } else {
            json += char(c);
        }
    }
    return json + "\"";
}

std::string jsonObject(const std::vector<std::pair<std::string, std::string>> &members)
{
    std::string json = "{";
    for (const auto &[name, value] : members)
        json += (json.size() > 1 ? "," : "") + jsonString(name) + ":" + value;
    return json + "}";
}

std::string jsonList(const std::vector<std::string> &texts)
{
    std::string json = "[";
    for (const std::string &text : texts)
        json += (json.size() > 1 ? "," : "") + jsonString(text);
    return json + "]";
}

std::string startAnswer(const studioFolder_t &folder, studioBoard_t &board)
{
    std::string text;
    const std::optional<std::string> described = folder.Resolve(descriptionName);
    if (!described || !readWholeFile(*described, &text))
        text = board.StartingText();
    return jsonObject({{"pictures", jsonList(folder.Pictures())},
                       {"description", jsonString(text)},
                       {"output", jsonString(studioOutputName)}});
}

std::string failureAnswer(const boardOutcome_t &outcome)
{
    return jsonObject({{"line", std::to_string(outcome.errorLine)}, {"message", jsonString(outcome.message)}});
}

std::string boxesAnswer(const boardOutcome_t &outcome)
{
    std::string images = "[";
    for (const boardBox_t &box : outcome.images)
        images += (images.size() > 1 ? "," : "") + boxJson(box);
    return jsonObject(
        {{"screen", boxJson(outcome.screen)}, {"strip", boxJson(outcome.strip)}, {"images", images + "]"}});
}

std::string openedAnswer(const openedSplash_t &opened)
{
    return jsonObject({{"pictures", jsonList(opened.pictures)}, {"description", jsonString(opened.description)}});
}
