// How child windows talk to the frame: by posting it an internal message.
#pragma once

class QObject;

// Code 1 posts WM_CHANGEPNAME, 2 WM_SAVETOPOD, 3 WM_CHKTREMCHOR; any other code posts nothing.
void PostToParentWindow(QObject* WindowHndl, int whatMssge);
