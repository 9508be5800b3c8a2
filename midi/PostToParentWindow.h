// How child windows talk to the frame: by posting it an internal message.
#pragma once

class QObject;

// What a child window asks the frame for, numbered as the editor has always posted them.
enum ChildRequest : int {
    kChangePatchNameRequest = 1, // posts WM_CHANGEPNAME
    kSaveToPodRequest = 2,       // posts WM_SAVETOPOD
    kChkTremChorRequest = 3,     // posts WM_CHKTREMCHOR
};

// Posts the frame message of a request; any other code posts nothing.
void PostToParentWindow(QObject* WindowHndl, int whatMssge);
