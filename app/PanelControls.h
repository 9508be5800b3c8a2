// Builds the controls of the panels and dialogs at their fixed pixel geometry, with their ids.
#pragma once

#include "tone/PanelLayout.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <string_view>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QWidget;

// Every control carries its id in the property "controlId" and its member name as object name,
// so handlers, tests and the tone map find it by either.
inline constexpr const char* kControlIdProperty = "controlId";
int controlId(const QWidget* control);

// Range 0..127, a tick every 13 steps, no snapping, a plain groove; vertical sliders have their
// minimum at the top, and the arrow keys move the thumb the way they point.
QSlider* makeVerticalSlider(QWidget* parent, const char* member, int id, const QRect& geometry);
QSlider* makeHorizontalSlider(QWidget* parent, const char* member, int id, const QRect& geometry);
void setupSlider(QSlider* slider, int minimum, int maximum, int tickInterval, int position);

QLabel* makeStatic(QWidget* parent, const char* member, int id, const QRect& geometry,
                   const QString& text = QString());
QCheckBox* makeCheckBox(QWidget* parent, const char* member, int id, const QRect& geometry,
                        const QString& text);
QPushButton* makeButton(QWidget* parent, const char* member, int id, const QRect& geometry,
                        const QString& text);

// A drop-down list: geometry's height is the height of the opened list, the closed box takes
// its natural height. The opened list is as wide as its longest entry.
QComboBox* makeDropDown(QWidget* parent, const char* member, int id, const QRect& geometry);
void fillDropDown(QComboBox* list, const QStringList& entries);

// The panels' own controls, at the place and with the text the panel table gives their object name
// (tone/PanelLayout.h). A slider's orientation is the table's too.
QRect panelPlace(std::string_view name);
QRect panelPlace(amplix::ToneWindow window);
QString panelText(std::string_view name);
QSlider* makePanelSlider(QWidget* parent, const char* member, int id);
QLabel* makePanelStatic(QWidget* parent, const char* member, int id);
QCheckBox* makePanelCheckBox(QWidget* parent, const char* member, int id);
QComboBox* makePanelDropDown(QWidget* parent, const char* member, int id);
