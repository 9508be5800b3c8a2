// Common base of the nine effect setup windows: a bordered child panel without caption.
#pragma once

#include "tone/ToneMap.h"

#include <QFrame>
#include <QString>

#include <functional>
#include <string_view>

class QSlider;

class DEffectWindow : public QFrame {
    Q_OBJECT

public:
    // The title becomes the window text; it is never displayed, since the panel has no caption.
    // The window takes its place in the main window from the panel table.
    DEffectWindow(QWidget* parent, const QString& title, amplix::ToneWindow window);
    ~DEffectWindow() override;

    // Ranges, rulers, positions, list entries and check states of a fresh window. Sends nothing.
    virtual void SetupWindow() = 0;

signals:
    // A controller message for the device; the frame sends it on the configured channel.
    void controllerChanged(int controller, int value);

protected:
    // The control of this window that stands for a parameter of the tone map.
    QWidget* control(std::string_view member) const;
    // Sends the control's current state by its row of the tone map.
    void sendParameter(std::string_view member);
    // Runs the window's handler on every change the user makes to the control.
    void bindHandler(std::string_view member, std::function<void()> handler);
    // Gives every control of the window's tone-map rows its range, list entries and initial state.
    void setupFromToneMap(amplix::ToneWindow window);

    // Range 0..127 with a tick every 13 steps, thumb at position.
    static void setupStandardSlider(QSlider* slider, int position);
};
