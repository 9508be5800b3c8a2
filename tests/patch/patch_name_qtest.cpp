// The patch name strip as laid out: place, controls, ids, texts, and no clipped text.
#include "app/PanelControls.h"
#include "patch/DPatchName.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <cstring>
#include <memory>

class PatchNameTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void strip();
    void controls_data();
    void controls();
    void noTextIsClipped_data();
    void noTextIsClipped();

private:
    std::unique_ptr<QWidget> frame;
    DPatchName* strip_ = nullptr;
};

void PatchNameTest::initTestCase() {
    frame = std::make_unique<QWidget>();
    frame->resize(700, 515);
    strip_ = new DPatchName(frame.get(), "Patch Name");
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
}

void PatchNameTest::strip() {
    QCOMPARE(strip_->windowTitle(), QString("Patch Name"));
    QCOMPARE(strip_->geometry(), QRect(0, 465, 700, 50));
    QVERIFY(!strip_->isWindow());
    QCOMPARE(strip_->frameShape(), QFrame::Box);
    QVERIFY(strip_->frameWidth() > 0);
    QVERIFY(strip_->autoFillBackground());
    QCOMPARE(strip_->backgroundRole(), QPalette::Button);
    QVERIFY(!strip_->isVisible()); // created hidden; the frame shows it
    QCOMPARE(sizeof strip_->str, size_t(18));
    QCOMPARE(std::strlen(strip_->str), size_t(0));
    QStringList created;
    for (QObject* child : strip_->children())
        if (child->isWidgetType())
            created << child->objectName();
    QCOMPARE(created,
             (QStringList{"StaticPatchNameData", "StaticPatchName", "ButtonPatchName", "ButtonSaveToPOD"}));
}

void PatchNameTest::controls_data() {
    QTest::addColumn<QWidget*>("control");
    QTest::addColumn<QString>("member");
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("StaticPatchNameData") << (QWidget*)strip_->StaticPatchNameData << "StaticPatchNameData"
                                         << 713 << QRect(110, 10, 150, 17) << "";
    QTest::newRow("StaticPatchName") << (QWidget*)strip_->StaticPatchName << "StaticPatchName" << 712
                                     << QRect(15, 10, 90, 17) << "Patch Name:";
    QTest::newRow("ButtonPatchName") << (QWidget*)strip_->ButtonPatchName << "ButtonPatchName" << 714
                                     << QRect(265, 6, 180, 24) << "Change Patch Name";
    QTest::newRow("ButtonSaveToPOD") << (QWidget*)strip_->ButtonSaveToPOD << "ButtonSaveToPOD" << 715
                                     << QRect(500, 6, 180, 24) << "Save Patch To POD...";
}

void PatchNameTest::controls() {
    QFETCH(QWidget*, control);
    QFETCH(QString, member);
    QFETCH(int, id);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QCOMPARE(control->objectName(), member);
    QCOMPARE(controlId(control), id);
    QCOMPARE(control->geometry(), geometry);
    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(label->text(), text);
    else if (auto* button = qobject_cast<QPushButton*>(control))
        QCOMPARE(button->text(), text);
    else
        QFAIL("neither a label nor a push button");
}

void PatchNameTest::noTextIsClipped_data() {
    QTest::addColumn<QWidget*>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("StaticPatchName") << (QWidget*)strip_->StaticPatchName << strip_->StaticPatchName->text();
    QTest::newRow("ButtonPatchName") << (QWidget*)strip_->ButtonPatchName << strip_->ButtonPatchName->text();
    QTest::newRow("ButtonSaveToPOD") << (QWidget*)strip_->ButtonSaveToPOD << strip_->ButtonSaveToPOD->text();
    // A 16-character name of ordinary width.
    QTest::newRow("StaticPatchNameData") << (QWidget*)strip_->StaticPatchNameData << "Brit Hi Gain Ld2";
}

void PatchNameTest::noTextIsClipped() {
    QFETCH(QWidget*, control);
    QFETCH(QString, text);
    const QFontMetrics metrics = control->fontMetrics();
    QRect room = control->rect();
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    QVERIFY2(metrics.horizontalAdvance(text) <= room.width(),
             qPrintable(QString("needs %1, has %2").arg(metrics.horizontalAdvance(text)).arg(room.width())));
    QVERIFY2(metrics.height() <= room.height(),
             qPrintable(QString("needs %1, has %2").arg(metrics.height()).arg(room.height())));
}

QTEST_MAIN(PatchNameTest)
#include "patch_name_qtest.moc"
