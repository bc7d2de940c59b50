#pragma once
// Icons: an icon handle's image as a Qt icon. The program's own icon also has a drawing of
// itself, used wherever the desktop wants another size.

#include "platform/WinTypes.h"

#include <QIcon>

QIcon IconFromHandle(HICON icon);
// The program's icon: its drawing plus the image the program registers as "MIXERICON".
QIcon ProgramIcon();
