// The printer and embosser setup dialog.
#pragma once

#include "dialogs/printsetup.h"
#include "dialogs/talkingdialog.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tavi {

class TPrtSetUpFrm : public TTalkingDialog {
    Q_OBJECT
public:
    // printers: the installed printers in the platform's order.
    TPrtSetUpFrm(ITalker& talker, const QStringList& printers, QWidget* parent = nullptr);

    QComboBox* CbPrinterList;
    QCheckBox* CheckEmbosser;
    QComboBox* CbChars;
    QLabel* LChars;
    QSpinBox* UdLeft;  // the left margin field with its up-down control
    QSpinBox* UDRight; // the right margin field with its up-down control
    QLabel* LLeft;
    QLabel* LRight;
    QPushButton* BtOk;
    QPushButton* BtCancel;

    // The setup into the dialog, and what the user chose in it.
    void ShowSetup(const TPrintSetup& setup);
    TPrintSetup ChosenSetup() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void ApplyEmbosserState();
};

} // namespace tavi
