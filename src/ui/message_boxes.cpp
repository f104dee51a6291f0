#include "ui/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "core/format.h"
#include "ui/text.h"

namespace tavlora::ui {

namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error: return QMessageBox::Critical;
        case MessageKind::Warning: return QMessageBox::Warning;
        case MessageKind::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QWidget* ownerOf(QWidget* parent) { return parent ? parent : QApplication::activeWindow(); }

}  // namespace

void MessageBoxInteraction::message(MessageKind kind, const std::string& caption, const std::string& text) {
    QMessageBox box(iconOf(kind), qs(caption), displayText(text), QMessageBox::Ok, ownerOf(parent_));
    box.exec();
}

bool MessageBoxInteraction::question(const std::string& caption, const std::string& text, bool defaultYes) {
    const auto icon = caption == kCaptionWarning ? QMessageBox::Warning : QMessageBox::Question;
    QMessageBox box(icon, qs(caption), displayText(text), QMessageBox::Yes | QMessageBox::No, ownerOf(parent_));
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    return box.exec() == QMessageBox::Yes;
}

std::string deleteQuestionText(int count) {
    return count == 1 ? std::string(kDeleteOneQuestion) : fmt(kDeleteManyQuestion, count);
}

bool confirmDelete(Interaction& interaction, int count) {
    if (count < 1) return false;
    return interaction.question(kCaptionWarning, deleteQuestionText(count), false);
}

bool confirm(Interaction& interaction, const std::string& text, bool defaultYes) {
    return interaction.question(kCaptionConfirmation, text, defaultYes);
}

void warn(Interaction& interaction, const std::string& text) {
    interaction.message(MessageKind::Warning, kCaptionWarning, text);
}

}  // namespace tavlora::ui
