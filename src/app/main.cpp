#include "app/Startup.h"

int main() {
    const int code = RunProgram();
    ShutdownProgram();
    return code;
}
