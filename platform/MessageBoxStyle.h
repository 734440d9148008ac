#pragma once

// Style bits and answers of the program's message boxes. The values are the classic Windows
// ones, so the rules written against them (icon in the low byte's upper half, buttons in its
// lower half, default button above) read the same everywhere.
namespace zorbel {

enum MessageBoxStyle : long {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
    kMbDefButton2 = 0x100,
    kMbButtonMask = 0xF,
    kMbIconMask = 0xF0,
    kMbDefMask = 0xF00,
};

enum MessageBoxAnswer : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

}  // namespace zorbel
