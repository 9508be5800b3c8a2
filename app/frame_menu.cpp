// Menu 301: every item with its command id, accelerator letter and check mark.
#include "app/DFrame.h"

#include "app/CommandIds.h"
#include "app/UiTextsQt.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

void DFrame::createMenu() {
    using namespace amplix::text;
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, const QString& text, int id) {
        QAction* action = menu->addAction(text);
        action->setData(id);
        actions_.insert(id, action);
        connect(action, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
        return action;
    };

    QMenu* file = bar->addMenu(qtText(kMenuFile));
    // The keys every desktop program has, shown beside the items' texts.
    add(file, qtText(kMenuFileOpen), CM_FILEOPEN)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    add(file, qtText(kMenuFileSave), CM_FILESAVE)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    add(file, qtText(kMenuFileSaveAll), CM_FILESAVEALL);
    add(file, qtText(kMenuFileImport), CM_FILEIMPORT);
    file->addSeparator();
    add(file, qtText(kMenuFileRead), CM_FILEREAD)->setShortcut(QKeySequence(Qt::Key_F5));
    file->addSeparator();
    add(file, qtText(kMenuFileExit), CM_FILEEXIT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = bar->addMenu(qtText(kMenuEdit));
    add(edit, qtText(kMenuEditUndo), CM_EDITUNDO)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    add(edit, qtText(kMenuEditRedo), CM_EDITREDO)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addSeparator();
    add(edit, qtText(kMenuEditCompare), CM_EDITCOMPARE)->setCheckable(true);

    QMenu* patch = bar->addMenu(qtText(kMenuPatch));
    add(patch, qtText(kMenuPatchManual), CM_PATCHMANUAL)->setCheckable(true);
    for (int bank = 1; bank <= 9; ++bank) {
        QMenu* banks = patch->addMenu(qtText(kMenuPatchBank).arg(bank));
        for (int letter = 0; letter < 4; ++letter)
            add(banks, qtText(kMenuPatchLocation).arg(QString::number(bank), QChar('A' + letter)),
                CM_PATCHMANUAL + 1 + 4 * (bank - 1) + letter)
                ->setCheckable(true);
    }
    patch->addSeparator();
    add(patch, qtText(kMenuPatchLibrary), CM_LIBRARY)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    QMenu* options = bar->addMenu(qtText(kMenuOptions));
    add(options, qtText(kMenuOptionsMidiSetup), CM_SETUPMIDI);
    QAction* link = add(options, qtText(kMenuOptionsLinkAmp), CM_LINKAMP);
    link->setCheckable(true);
    link->setChecked(true);
    options->addSeparator();
    add(options, qtText(kMenuOptionsResetSimulator), CM_RESETSIMULATOR)->setEnabled(hasSimulator());

    QMenu* help = bar->addMenu(qtText(kMenuHelp));
    add(help, qtText(kMenuHelpTopics), CM_HELPCONTENTS)->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    add(help, qtText(kMenuHelpAbout), CM_HELPABOUT);
}

// The dispatch table of the menu commands.
void DFrame::dispatchCommand(int id) {
    switch (id) {
    case CM_FILEEXIT:
        CmFileExit();
        break;
    case CM_HELPABOUT:
        CmHelpAbout();
        break;
    case CM_HELPCONTENTS:
        CmHelpContents();
        break;
    case CM_SETUPMIDI:
        CmSetupMidi();
        break;
    case CM_LINKAMP:
        // The check mark follows the option, not the click.
        CmLinkAmp();
        break;
    case CM_FILEREAD:
        CmFileRead();
        break;
    case CM_FILEOPEN:
        CmFileOpen_();
        break;
    case CM_FILESAVE:
        CmFileSave_();
        break;
    case CM_FILEIMPORT:
        CmFileImport();
        break;
    case CM_FILESAVEALL:
        CmFileSave_All();
        break;
    case CM_LIBRARY:
        CmLibrary();
        break;
    case CM_EDITUNDO:
        CmEditUndo();
        break;
    case CM_EDITREDO:
        CmEditRedo();
        break;
    case CM_EDITCOMPARE:
        CmEditCompare();
        break;
    case CM_RESETSIMULATOR:
        CmResetSimulator();
        break;
    default:
        if (id >= CM_PATCHMANUAL && id <= CM_PATCHLAST) {
            CmPatchChange(id);
            // The check mark moves when the device says it is there, not with the click.
            updatePatchMenu();
        }
        break;
    }
}

void DFrame::updatePatchMenu() {
    for (int id = CM_PATCHMANUAL; id <= CM_PATCHLAST; ++id)
        if (QAction* action = menuAction(id))
            action->setChecked(programOfPatchCommand(id) == program_);
}
