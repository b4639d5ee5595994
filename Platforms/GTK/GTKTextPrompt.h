#pragma once

#include "QuorvaneApp/Platform/StatusItem.h"

#include <functional>
#include <optional>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace quorvane {

// A small window that asks for one line of text: a prompt, a named text field, cancel and accept. Enter
// accepts, Escape and the close button cancel. Main thread only.
class GTKTextPrompt {
public:
    // Shows the window at once and gives it the focus.
    GTKTextPrompt(const TextRequest&, std::function<void(std::optional<std::string>)> answer);
    // Closes a window still open without answering.
    ~GTKTextPrompt();
    GTKTextPrompt(const GTKTextPrompt&) = delete;
    GTKTextPrompt& operator=(const GTKTextPrompt&) = delete;

    // Whether the window is still waiting for an answer.
    bool open() const { return m_window != nullptr; }
    // Brings the open window forward.
    void present();

private:
    // Closes the window, then answers.
    void finish(std::optional<std::string> text);

    GtkWidget* m_window = nullptr;
    GtkWidget* m_entry = nullptr;
    std::function<void(std::optional<std::string>)> m_answer;
};

} // namespace quorvane
