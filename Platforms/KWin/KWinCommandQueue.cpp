#include "Platforms/KWin/KWinCommandQueue.h"

#include "JSON/JSONValue.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

std::string_view toString(KWinCommand::Action action)
{
    switch (action) {
    case KWinCommand::Action::move:
        return "move";
    case KWinCommand::Action::activate:
        return "activate";
    case KWinCommand::Action::minimize:
        return "minimize";
    case KWinCommand::Action::place:
        return "place";
    }
    return "move";
}

void KWinCommandQueue::push(KWinCommand command)
{
    std::erase_if(m_commands,
        [&](const KWinCommand& queued) { return queued.window == command.window && queued.action == command.action; });
    m_commands.push_back(std::move(command));
}

std::string KWinCommandQueue::take()
{
    std::string text = encode(m_commands);
    m_commands.clear();
    return text;
}

std::string KWinCommandQueue::encode(const std::vector<KWinCommand>& commands)
{
    // KWin places windows on whole pixels; rounding here makes the frame it ends on the one asked for.
    auto whole = [](double value) { return static_cast<int64_t>(std::llround(value)); };
    JSONValue::Array array;
    for (const KWinCommand& command : commands) {
        JSONValue::Object object { { "action", std::string(toString(command.action)) }, { "id", command.window } };
        if (command.action == KWinCommand::Action::move || command.action == KWinCommand::Action::place) {
            object.emplace("x", whole(command.frame.x));
            object.emplace("y", whole(command.frame.y));
            object.emplace("width", std::max<int64_t>(1, whole(command.frame.width)));
            object.emplace("height", std::max<int64_t>(1, whole(command.frame.height)));
        }
        array.push_back(JSONValue(std::move(object)));
    }
    return JSONValue(std::move(array)).canonicalString();
}

} // namespace quorvane
