#include "windows/AdatOut.h"

TfrmAdatOut* frmAdatOut = nullptr;

TfrmAdatOut::TfrmAdatOut(TComponent* owner) : TAdatWindow(owner, true) {
    LoadDesign([this] {
        Design();
        WireReactions();
    });
}
