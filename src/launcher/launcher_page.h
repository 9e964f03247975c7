#pragma once

#include "launcher/launcher_table.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kova {

class Launcher;

// The launcher tab of the settings dialog: edits the launcher's table in
// memory; only "登録" (and the dialog's own save) writes it.
class LauncherPage : public QWidget {
    Q_OBJECT
public:
    // Starts at number 1 with the boxes filled from entry 0.
    explicit LauncherPage(Launcher& launcher, QWidget* parent = nullptr);

    QLabel* Label4 = nullptr;
    QLineEdit* Text7 = nullptr; // name
    QLabel* Label5 = nullptr;
    QLineEdit* Text8 = nullptr; // command line
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, kLauncherEntryCount> Option1{};
    std::array<QLabel*, 2> Label7{};
    QPushButton* Command4 = nullptr;  // browse for a program file
    QPushButton* Command5 = nullptr;  // browse for a folder
    QPushButton* Command3 = nullptr;  // "登録"
    QPushButton* Command13 = nullptr; // "消去"
    QLabel* Label6 = nullptr;

    int selectedEntry() const { return selected_; }
    // Selects number index + 1 and fills the boxes from the table (no store).
    void selectEntry(int index);
    // The two boxes into the selected row.
    void storeBoxes();

    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command13_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillBoxes(int index);
    void updateCommand3Color();
    void setCommand3Red(bool red);
    void placeControls();

    Launcher& launcher_;
    int selected_ = 0;
};

} // namespace kova
