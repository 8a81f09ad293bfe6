#pragma once
// A dialog resource as data: title, size in dialog units, font and the
// controls in tab order, each with its id, kind, text, rectangle and style.
// Every dialog backend (desktop, terminal, scripted) builds its view from it.
#include "platform/types.h"

// Control id of labels and group boxes, which are never addressed.
const int IDC_STATIC = -1;

// Standard button ids, also the answers of message boxes.
const int IDOK = 1;
const int IDCANCEL = 2;
const int IDABORT = 3;
const int IDRETRY = 4;
const int IDIGNORE = 5;
const int IDYES = 6;
const int IDNO = 7;

// Edit control styles.
const DWORD ES_PASSWORD = 0x0020;  // shows no characters
const DWORD ES_NUMBER = 0x2000;    // accepts digits only

enum class DialogItemKind {
    GroupBox,       // a frame with a caption around following controls
    Label,          // static text
    Edit,           // one line of text
    CheckBox,       // two-state check box with its caption
    PushButton,
    DefPushButton,  // the button Enter presses
};

struct DialogItem {
    DialogItemKind kind;
    int id;
    const char* text;
    short x, y, cx, cy;  // dialog units
    DWORD style;

    // Whether the control takes the focus when the user tabs through.
    bool IsTabStop() const { return kind != DialogItemKind::GroupBox && kind != DialogItemKind::Label; }
};

struct DialogResource {
    UINT id;
    const char* title;
    short cx, cy;  // dialog units
    const char* fontName;
    int pointSize;
    const DialogItem* items;
    int itemCount;
};
