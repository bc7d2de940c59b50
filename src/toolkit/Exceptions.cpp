#include "toolkit/Exceptions.h"

void Abort() {
    throw EAbort();
}
