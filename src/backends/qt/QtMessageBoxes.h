#pragma once
// Message boxes as Qt dialogs: caption, text, the icon the style asks for, German buttons and
// the owner's window. The box opens without a loop of its own; the program's modal loop runs
// until it is answered, so posted messages and timers keep going.

#include "platform/MessageBox.h"

class QMessageBox;

class QtMessageBoxes : public IMessageBoxService {
public:
    int Show(const MessageBoxRequest& request, IModalRunner& modal) override;
    // The box open now, innermost first (tests answer it as a user would).
    static QMessageBox* OpenBox();
};
