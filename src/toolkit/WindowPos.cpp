#include "toolkit/WindowPos.h"

#include "platform/WindowTable.h"
#include "toolkit/TForm.h"
#include "toolkit/TScreen.h"

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    auto* control = dynamic_cast<TWinControl*>(WindowTable::Instance().Find(hwnd));
    if (!control)
        return FALSE;
    auto* form = dynamic_cast<TCustomForm*>(control);
    if (form && !(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST)
            form->SetTopmost(true);
        else if (insertAfter == HWND_NOTOPMOST)
            form->SetTopmost(false);
    }
    int left = (flags & SWP_NOMOVE) ? control->Left() : x;
    int top = (flags & SWP_NOMOVE) ? control->Top() : y;
    int width = (flags & SWP_NOSIZE) ? control->Width() : cx;
    int height = (flags & SWP_NOSIZE) ? control->Height() : cy;
    control->SetBounds(left, top, width, height);
    if (flags & SWP_SHOWWINDOW)
        control->Show();
    if (flags & SWP_HIDEWINDOW)
        control->Hide();
    if (form && !(flags & SWP_NOACTIVATE) && form->Visible() && form->Enabled())
        Screen->SetActiveForm(form);
    return TRUE;
}
