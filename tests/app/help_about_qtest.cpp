// The About box, the help window with its pages, and the program icon.
#include "app/AppIcon.h"
#include "app/DHelpAboutDialog.h"
#include "app/DHelpWindow.h"
#include "support/QtTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

QString resourceText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Every href of a page, from <a> and <link> alike.
QStringList hrefsOf(const QString& html) {
    static const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (auto match = href.globalMatch(html); match.hasNext();)
        found << match.next().captured(1);
    return found;
}

QList<QLabel*> textLabelsTopDown(const QWidget* dialog) {
    QList<QLabel*> labels;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            labels << label;
    std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
    return labels;
}

// Collects the warnings QTextBrowser gives for a source it cannot load.
QStringList browserWarnings;
void collectWarnings(QtMsgType, const QMessageLogContext&, const QString& message) {
    browserWarnings << message;
}

} // namespace

class HelpAboutTest : public QObject {
    Q_OBJECT

private slots:
    void aboutShowsCaptionIconAndTheFiveLines() {
        DHelpAboutDialog about(nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));

        QCOMPARE(about.windowTitle(), QStringLiteral("About Amplix 32"));
        QVERIFY(about.isModal());
        QCOMPARE(about.minimumSize(), about.maximumSize());

        QStringList lines;
        for (QLabel* label : textLabelsTopDown(&about))
            lines << label->text();
        const QStringList expected{
            QStringLiteral("Amplix 32"),
            QStringLiteral("Windows POD editor"),
            QStringLiteral("Version 4.5c"),
            QStringLiteral("Editor and librarian for the POD 2, Flextone II and POD Pro"),
            QStringLiteral("Copyright (c) 2026 the Amplix 32 developers"),
        };
        QCOMPARE(lines, expected);

        QVERIFY(about.StaticIcon);
        QVERIFY(!about.StaticIcon->pixmap().isNull());
        QVERIFY(about.StaticIcon->pixmap().width() >= 16);

        QCOMPARE(about.ButtonOk->text(), QStringLiteral("OK"));
        QVERIFY(about.ButtonOk->isDefault());
    }

    void aboutFitsEveryTextAndControl() {
        DHelpAboutDialog about(nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QRect inside = about.rect();
        for (QLabel* label : textLabelsTopDown(&about)) {
            const QFontMetrics metrics(label->font());
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
            QVERIFY2(metrics.height() <= label->height(), qPrintable(label->text()));
            QVERIFY2(inside.contains(label->geometry()), qPrintable(label->text()));
        }
        QVERIFY(inside.contains(about.StaticIcon->geometry()));
        QVERIFY(inside.contains(about.ButtonOk->geometry()));
        QVERIFY(QFontMetrics(about.ButtonOk->font()).horizontalAdvance(about.ButtonOk->text()) <
                about.ButtonOk->width());
        // The icon stands beside the text, not under it.
        for (QLabel* label : textLabelsTopDown(&about))
            QVERIFY(!label->geometry().intersects(about.StaticIcon->geometry()));
    }

    void aboutClosesWithOk_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("click OK") << QStringLiteral("click");
        QTest::newRow("press Enter") << QStringLiteral("enter");
        QTest::newRow("press Space on OK") << QStringLiteral("space");
    }
    void aboutClosesWithOk() {
        QFETCH(QString, how);
        DHelpAboutDialog about(nullptr);
        bool seen = false;
        testsupport::whenModalOpens([&](QWidget* dialog) {
            seen = dialog == &about;
            if (how == QLatin1String("click"))
                QTest::mouseClick(about.ButtonOk, Qt::LeftButton);
            else if (how == QLatin1String("enter"))
                QTest::keyClick(dialog, Qt::Key_Return);
            else
                QTest::keyClick(about.ButtonOk, Qt::Key_Space);
        });
        // Should OK fail to close it, the test fails instead of hanging.
        QTimer::singleShot(5000, &about, &QDialog::reject);
        const int result = about.exec();
        QVERIFY(seen);
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(!about.isVisible());
    }

    void iconHasEverySize_data() {
        QTest::addColumn<int>("size");
        for (int size : kAmplixIconSizes)
            QTest::newRow(qPrintable(QStringLiteral("%1 px").arg(size))) << size;
    }
    void iconHasEverySize() {
        QFETCH(int, size);
        const QIcon icon = amplixIcon();
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));

        const QImage drawing(QStringLiteral(":/icons/amplix32-%1.png").arg(size));
        QVERIFY(!drawing.isNull());
        QCOMPARE(drawing.size(), QSize(size, size));
        QVERIFY(drawing.hasAlphaChannel());
        // Transparent corners, an opaque body: a real drawing, not an empty or solid square.
        QCOMPARE(qAlpha(drawing.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(drawing.pixel(size / 2, size * 3 / 4)), 255);

        QCOMPARE(icon.pixmap(size, size).size(), QSize(size, size));
    }

    void resourcesAreThereWithoutInitialisation() {
        // This executable only links the GUI library; nothing here registers resources by hand.
        QVERIFY(QFile::exists(QStringLiteral(":/help/index.html")));
        QVERIFY(QFile::exists(QStringLiteral(":/help/help.css")));
        QVERIFY(QFile::exists(QStringLiteral(":/icons/amplix32-16.png")));
    }

    void helpWindowIsTheCaptionedTopLevelOfTheFrame() {
        QWidget frame;
        frame.show();
        QPointer<DHelpWindow> help = new DHelpWindow(&frame);
        help->show();
        QVERIFY(QTest::qWaitForWindowExposed(help));

        QCOMPARE(help->windowTitle(), QStringLiteral("Amplix 32 Help"));
        QVERIFY(help->isWindow());
        QCOMPARE(help->parentWidget(), &frame);
        QVERIFY(help->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(help->width() >= 600 && help->height() >= 500);
        QVERIFY(!help->windowIcon().isNull());

        // The frame finds it the way it looks for it: a top-level window with that caption.
        const QWidgetList tops = QApplication::topLevelWidgets();
        const bool found = std::any_of(tops.begin(), tops.end(), [&](QWidget* w) {
            return w == help && w->windowTitle() == QLatin1String("Amplix 32 Help");
        });
        QVERIFY(found);

        QCOMPARE(help->Browser->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
        QVERIFY(
            help->Browser->toPlainText().contains(QStringLiteral("Amplix 32 is an editor and librarian")));
        QVERIFY(help->Browser->toPlainText().contains(QStringLiteral("Contents")));

        help->close();
        QTRY_VERIFY(help.isNull());
    }

    void helpWindowNavigates() {
        QWidget frame;
        auto* help = new DHelpWindow(&frame);
        help->show();
        QApplication::setActiveWindow(help);
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTextBrowser* browser = help->Browser;
        browser->setFocus();
        QVERIFY(!help->ButtonBack->isEnabled());
        QVERIFY(!help->ButtonForward->isEnabled());

        browser->setSource(browser->source().resolved(QUrl(QStringLiteral("effects.html#which"))));
        QCOMPARE(browser->source().fileName(), QStringLiteral("effects.html"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Which effect shows which window")));
        QVERIFY(help->ButtonBack->isEnabled());

        QTest::mouseClick(help->ButtonBack, Qt::LeftButton);
        QCOMPARE(browser->source().fileName(), QStringLiteral("index.html"));
        QVERIFY(help->ButtonForward->isEnabled());

        // A button's shortcut clicks it the way a mouse would, after a short visible press.
        QTest::keyClick(browser, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE(browser->source().fileName(), QStringLiteral("effects.html"));
        QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(browser->source().fileName(), QStringLiteral("index.html"));
        QTest::keyClick(browser, Qt::Key_Right, Qt::AltModifier);
        QTRY_COMPARE(browser->source().fileName(), QStringLiteral("effects.html"));

        QTest::mouseClick(help->ButtonContents, Qt::LeftButton);
        QCOMPARE(browser->source().fileName(), QStringLiteral("index.html"));

        QPointer<DHelpWindow> watch = help;
        QTest::keyClick(browser, Qt::Key_Escape);
        QTRY_VERIFY(watch.isNull());
    }

    void everyLinkOfEveryPageResolves() {
        const QDir helpDir(QStringLiteral(":/help"));
        const QStringList pages = helpDir.entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(pages.size() >= 8);

        QTextBrowser browser;
        QSet<QString> reached{QStringLiteral("index.html")};
        QStringList queue{QStringLiteral("index.html")};
        int links = 0;
        browserWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        while (!queue.isEmpty()) {
            const QString page = queue.takeFirst();
            const QUrl base(QStringLiteral("qrc:/help/") + page);
            const QString html = resourceText(QStringLiteral(":/help/") + page);
            QVERIFY2(!html.isEmpty(), qPrintable(page));
            for (const QString& href : hrefsOf(html)) {
                ++links;
                const QUrl target = base.resolved(QUrl(href));
                const QString where = page + QStringLiteral(" -> ") + href;
                QVERIFY2(target.scheme() == QLatin1String("qrc"), qPrintable(where));
                QVERIFY2(QFile::exists(QLatin1Char(':') + target.path()), qPrintable(where));
                if (!target.fragment().isEmpty()) {
                    const QString anchor = QStringLiteral("name=\"%1\"").arg(target.fragment());
                    QVERIFY2(resourceText(QLatin1Char(':') + target.path()).contains(anchor),
                             qPrintable(where));
                }
                const QString name = target.fileName();
                if (name.endsWith(QLatin1String(".html")) && !reached.contains(name)) {
                    reached.insert(name);
                    queue << name;
                }
            }
            // The browser itself must open the page as a link would take it there.
            browser.setSource(base);
            QVERIFY2(!browser.toPlainText().trimmed().isEmpty(), qPrintable(page));
        }
        qInstallMessageHandler(previous);
        QVERIFY2(browserWarnings.isEmpty(), qPrintable(browserWarnings.join(QLatin1Char('\n'))));
        QVERIFY(links > 50);
        // No page is an orphan: every one is reachable from the contents page.
        for (const QString& page : pages)
            QVERIFY2(reached.contains(page), qPrintable(page));
    }

    void menuPageNamesEveryCommand_data() {
        QTest::addColumn<QString>("command");
        for (const char* command :
             {"Open...", "Save...", "Save All...", "Import...", "Read POD settings", "Exit", "Manual Mode",
              "Bank 1", "Bank 2 ... Bank 9", "Midi Setup", "Link Amp Model", "Help Topics", "About..."})
            QTest::newRow(command) << QString::fromLatin1(command);
    }
    void menuPageNamesEveryCommand() {
        QFETCH(QString, command);
        const QString html = resourceText(QStringLiteral(":/help/menus.html"));
        QVERIFY(html.contains(QStringLiteral("<td class=\"ui\">%1</td>").arg(command)));
    }
};

QTEST_MAIN(HelpAboutTest)
#include "help_about_qtest.moc"
