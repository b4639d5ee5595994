#include "Platforms/Simulated/SimulatedStatusItem.h"

namespace quorvane {

namespace {

const StatusMenuItem* findIn(const std::vector<StatusMenuItem>& items, const std::string& label)
{
    for (const StatusMenuItem& item : items) {
        if (item.kind != StatusMenuItem::Kind::separator && item.label == label)
            return &item;
        if (const StatusMenuItem* found = findIn(item.items, label))
            return found;
    }
    return nullptr;
}

} // namespace

void SimulatedStatusItem::setLook(const StatusItemLook& look)
{
    m_look = look;
}

void SimulatedStatusItem::setMenu(const StatusMenuContent& menu)
{
    m_menu = menu;
    ++m_menuUpdates;
}

void SimulatedStatusItem::askForText(const TextRequest& request, std::function<void(std::optional<std::string>)> answer)
{
    if (m_request) {
        answer(std::nullopt);
        return;
    }
    m_request = request;
    m_answer = std::move(answer);
}

const StatusMenuItem* SimulatedStatusItem::find(const std::string& label) const
{
    return findIn(m_menu.items, label);
}

std::vector<std::string> SimulatedStatusItem::labels(const std::string& submenu) const
{
    const std::vector<StatusMenuItem>* items = &m_menu.items;
    if (!submenu.empty()) {
        const StatusMenuItem* parent = find(submenu);
        if (!parent)
            return {};
        items = &parent->items;
    }
    std::vector<std::string> labels;
    for (const StatusMenuItem& item : *items)
        labels.push_back(item.kind == StatusMenuItem::Kind::separator ? "-" : item.label);
    return labels;
}

bool SimulatedStatusItem::choose(const std::string& label)
{
    const StatusMenuItem* item = find(label);
    if (!item)
        return false;
    // The key is copied: choosing may replace the menu.
    std::string key = item->key;
    if (m_chosen)
        m_chosen(key);
    return true;
}

void SimulatedStatusItem::activateSecondary()
{
    if (m_chosen && !m_menu.secondaryKey.empty())
        m_chosen(std::string(m_menu.secondaryKey));
}

void SimulatedStatusItem::answer(std::optional<std::string> text)
{
    if (!m_request)
        return;
    m_request.reset();
    auto answer = std::move(m_answer);
    m_answer = nullptr;
    if (answer)
        answer(std::move(text));
}

} // namespace quorvane
