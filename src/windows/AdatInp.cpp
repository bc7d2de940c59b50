#include "windows/AdatInp.h"

TfrmAdatInp* frmAdatInp = nullptr;

TfrmAdatInp::TfrmAdatInp(TComponent* owner) : TAdatWindow(owner, false) {
    LoadDesign([this] {
        Design();
        WireReactions();
    });
}
