#pragma once
// The dialog "Создание нового списка комбинаций": the generation mode, the parameter (my numbers
// or the file to load, with a "..." file button in the load mode) and the box that saves both as
// the default for generation.
#include <QDialog>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace tavlora::app {

inline constexpr const char* kGenerateDialogCaption = "Создание нового списка комбинаций";
inline constexpr const char* kCombsFileFilter = "Файлы комбинаций (*.lcv)|*.lcv";

class TGenerateDialog : public QDialog {
    Q_OBJECT
public:
    TGenerateDialog(QWidget* parent, uint8_t mode, const std::string& parameters);

    uint8_t mode() const;
    std::string parameters() const;
    bool saveAsDefault() const;

    QComboBox* modeBox() const { return mode_; }
    QLineEdit* parameterEdit() const { return parameters_; }
    QToolButton* fileButton() const { return file_; }
    QCheckBox* defaultBox() const { return default_; }

private:
    void modeChanged(int mode);

    QComboBox* mode_;
    QLineEdit* parameters_;
    QToolButton* file_;
    QCheckBox* default_;
};

}  // namespace tavlora::app
