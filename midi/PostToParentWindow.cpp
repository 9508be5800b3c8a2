// Posting a child window's request to the frame.
#include "midi/PostToParentWindow.h"

#include "app/FrameEvents.h"

#include <QCoreApplication>

void PostToParentWindow(QObject* WindowHndl, int whatMssge) {
    int message = 0;
    switch (whatMssge) {
    case kChangePatchNameRequest:
        message = WM_CHANGEPNAME;
        break;
    case kSaveToPodRequest:
        message = WM_SAVETOPOD;
        break;
    case kChkTremChorRequest:
        message = WM_CHKTREMCHOR;
        break;
    default:
        return;
    }
    if (WindowHndl)
        QCoreApplication::postEvent(WindowHndl, new FrameMessage(message));
}
