// Control construction shared by the main panel, the effect windows and the patch name strip.
#include "app/PanelControls.h"

#include "app/PlainGrooveStyle.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

namespace {

void tag(QWidget* control, const char* member, int id) {
    control->setObjectName(QString::fromLatin1(member));
    control->setProperty(kControlIdProperty, id);
}

QSlider* makeSlider(QWidget* parent, Qt::Orientation orientation, const char* member, int id,
                    const QRect& geometry) {
    auto* slider = new QSlider(orientation, parent);
    tag(slider, member, id);
    slider->setStyle(PlainGrooveStyle::shared());
    slider->setGeometry(geometry);
    slider->setTickPosition(QSlider::TicksBelow); // below a horizontal slider, right of a vertical one
    slider->setFocusPolicy(Qt::StrongFocus);
    if (orientation == Qt::Vertical) {
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
    }
    setupSlider(slider, 0, 127, 13, 0);
    return slider;
}

} // namespace

int controlId(const QWidget* control) {
    return control->property(kControlIdProperty).toInt();
}

QSlider* makeVerticalSlider(QWidget* parent, const char* member, int id, const QRect& geometry) {
    return makeSlider(parent, Qt::Vertical, member, id, geometry);
}

QSlider* makeHorizontalSlider(QWidget* parent, const char* member, int id, const QRect& geometry) {
    return makeSlider(parent, Qt::Horizontal, member, id, geometry);
}

void setupSlider(QSlider* slider, int minimum, int maximum, int tickInterval, int position) {
    const QSignalBlocker quiet(slider);
    slider->setRange(minimum, maximum);
    slider->setTickInterval(tickInterval);
    slider->setSingleStep(1);
    slider->setPageStep(qMax(1, (maximum - minimum + 1) / 5));
    slider->setValue(position);
}

QLabel* makeStatic(QWidget* parent, const char* member, int id, const QRect& geometry, const QString& text) {
    auto* label = new QLabel(parent);
    // Statics show names and texts from the device, files and the user: "<b>" in a patch name
    // is four characters, not bold, and "<img src=...>" never makes a label load anything.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    tag(label, member, id);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* member, int id, const QRect& geometry,
                        const QString& text) {
    auto* box = new QCheckBox(text, parent);
    tag(box, member, id);
    box->setGeometry(geometry);
    box->setFocusPolicy(Qt::StrongFocus);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* member, int id, const QRect& geometry,
                        const QString& text) {
    auto* button = new QPushButton(text, parent);
    tag(button, member, id);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QComboBox* makeDropDown(QWidget* parent, const char* member, int id, const QRect& geometry) {
    auto* list = new QComboBox(parent);
    tag(list, member, id);
    list->setEditable(false);
    list->setFocusPolicy(Qt::StrongFocus);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setGeometry(geometry.x(), geometry.y(), geometry.width(), list->sizeHint().height());
    // The opened list keeps the height it was given; count the rows that fit.
    int rowHeight = qMax(1, list->fontMetrics().height() + 4);
    list->setMaxVisibleItems(qMax(1, (geometry.height() - list->sizeHint().height()) / rowHeight));
    list->setProperty("openHeight", geometry.height());
    return list;
}

void fillDropDown(QComboBox* list, const QStringList& entries) {
    const QSignalBlocker quiet(list);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    QAbstractItemView* view = list->view();
    int widest = view->sizeHintForColumn(0) + view->verticalScrollBar()->sizeHint().width() + 8;
    view->setMinimumWidth(qMax(list->width(), widest));
}

namespace {

const amplix::PanelItem& panelItem(std::string_view name) {
    const amplix::PanelItem* item = amplix::findPanelItem(name);
    // A name the table lacks is a slip in the window's code; the layout tests find it.
    static constexpr amplix::PanelItem kNowhere{};
    Q_ASSERT_X(item, "panelItem", "a control the panel table does not have");
    return item ? *item : kNowhere;
}

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

QRect panelPlace(std::string_view name) {
    const amplix::PanelRect& r = panelItem(name).place;
    return QRect(r.x, r.y, r.w, r.h);
}

QRect panelPlace(amplix::ToneWindow window) {
    const amplix::PanelRect& r = amplix::panelWindow(window).place;
    return QRect(r.x, r.y, r.w, r.h);
}

QString panelText(std::string_view name) {
    return latin1(panelItem(name).text);
}

QSlider* makePanelSlider(QWidget* parent, const char* member, int id) {
    const bool vertical = panelItem(member).kind == amplix::PanelItemKind::VerticalSlider;
    return makeSlider(parent, vertical ? Qt::Vertical : Qt::Horizontal, member, id, panelPlace(member));
}

QLabel* makePanelStatic(QWidget* parent, const char* member, int id) {
    return makeStatic(parent, member, id, panelPlace(member), panelText(member));
}

QCheckBox* makePanelCheckBox(QWidget* parent, const char* member, int id) {
    return makeCheckBox(parent, member, id, panelPlace(member), panelText(member));
}

QComboBox* makePanelDropDown(QWidget* parent, const char* member, int id) {
    return makeDropDown(parent, member, id, panelPlace(member));
}
