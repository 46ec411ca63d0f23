// The document information window: name, times, size and words of the document.
#pragma once

#include "dialogs/talkingdialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavi {

class TFInfoFrm : public TTalkingDialog {
    Q_OBJECT
public:
    explicit TFInfoFrm(ITalker& talker, QWidget* parent = nullptr);

    // The values as the main window composes them (Vni for Win texts).
    struct Values {
        std::string FileName, Created, LastAccess, LastModified, Size, WordCount;
    };
    void SetValues(const Values& v);
    const Values& GetValues() const { return Shown; }

    QLineEdit* LFName;
    QLabel *LFcreated, *LFLastAccess, *LFLastModified, *LFSize, *LWordCount;
    QPushButton* BtClose;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyDown(QKeyEvent* key);
    Values Shown;
};

} // namespace tavi
