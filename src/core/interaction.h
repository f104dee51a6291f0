#pragma once
// Questions and messages that engine operations put to the user. The GUI answers with
// message boxes, the command line prints and answers questions from its --yes flag,
// tests script the answers.
#include <deque>
#include <string>
#include <vector>

namespace tavlora {

enum class MessageKind { Error, Warning, Information };

class Interaction {
public:
    virtual ~Interaction() = default;
    // Shows a message; caption is the box title ("Ошибка", "Внимание!", "Информация", ...).
    virtual void message(MessageKind kind, const std::string& caption, const std::string& text) = 0;
    // Asks a yes/no question; defaultYes tells which button is the default.
    virtual bool question(const std::string& caption, const std::string& text, bool defaultYes) = 0;

    void error(const std::string& text) { message(MessageKind::Error, "Ошибка", text); }
    void warning(const std::string& text) { message(MessageKind::Warning, "Внимание!", text); }
    void information(const std::string& text) { message(MessageKind::Information, "Информация", text); }
};

// Records every message and answers questions from a script (then with a fixed answer).
class ScriptedInteraction : public Interaction {
public:
    struct Entry {
        MessageKind kind;
        std::string caption;
        std::string text;
    };
    explicit ScriptedInteraction(bool defaultAnswer = false) : defaultAnswer_(defaultAnswer) {}

    void message(MessageKind kind, const std::string& caption, const std::string& text) override {
        messages.push_back({kind, caption, text});
    }
    bool question(const std::string& caption, const std::string& text, bool) override {
        questions.push_back({MessageKind::Information, caption, text});
        if (answers.empty()) return defaultAnswer_;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }

    std::vector<Entry> messages;
    std::vector<Entry> questions;
    std::deque<bool> answers;

private:
    bool defaultAnswer_;
};

}  // namespace tavlora
