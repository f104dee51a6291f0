#pragma once
// The message boxes of the program and the shared delete confirmation. Every box goes through an
// Interaction, so that tests can script the answers; MessageBoxInteraction is the one that shows
// real boxes.
#include <QPointer>
#include <QWidget>
#include <string>

#include "core/interaction.h"

namespace tavlora::ui {

inline constexpr const char* kCaptionError = "Ошибка";
inline constexpr const char* kCaptionInformation = "Информация";
inline constexpr const char* kCaptionAttention = "Внимание!";
inline constexpr const char* kCaptionWarning = "Предупреждение";
inline constexpr const char* kCaptionConfirmation = "Подтверждение";

inline constexpr const char* kDeleteOneQuestion = "Удалить выделенную запись?";
inline constexpr const char* kDeleteManyQuestion =
    "Удалить все выделенные записи (всего будет удалено %d записи(ей))?";

// Shows QMessageBox boxes: errors with the error icon, "Внимание!" and "Предупреждение" with the
// warning icon, information with the information icon; questions are Yes/No boxes with the
// question icon (the warning icon when captioned "Предупреждение").
class MessageBoxInteraction : public Interaction {
public:
    explicit MessageBoxInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void message(MessageKind kind, const std::string& caption, const std::string& text) override;
    bool question(const std::string& caption, const std::string& text, bool defaultYes) override;

private:
    QPointer<QWidget> parent_;
};

// The question of the shared delete confirmation for count selected records.
std::string deleteQuestionText(int count);
// Asks it in a Yes/No box captioned "Предупреждение" with No as the default; true on Yes.
// Nothing is asked (false) when count is below 1.
bool confirmDelete(Interaction& interaction, int count);
// A Yes/No question captioned "Подтверждение".
bool confirm(Interaction& interaction, const std::string& text, bool defaultYes = true);
// A warning captioned "Предупреждение".
void warn(Interaction& interaction, const std::string& text);

}  // namespace tavlora::ui
