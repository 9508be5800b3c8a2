// The panel's plan from the core's geometry, and the keys that move its sliders.
import { describe, test } from "node:test";
import assert from "node:assert/strict";
import { kClosedListHeight, planPanel, sliderKeyStep } from "../src/panel.js";
import { fakeLayout, fakeToneMap } from "./fakes.js";

describe("panel plan", () => {
    const plan = planPanel(fakeLayout, fakeToneMap);
    const item = (name: string) => plan.items.find((i) => i.name === name)!;

    test("controls take their range, entries, start and accessible name from the tone map", () => {
        assert.deepEqual([item("Drive").maximum, item("Drive").pageStep, item("Drive").label, item("Drive").initial], [127, 25, "Drive", 64]);
        assert.deepEqual([item("DelayTime").maximum, item("DelayTime").pageStep], [3150, 630]);
        assert.equal(item("AmpModel").entries.length, 6);
        assert.equal(item("AmpModel").initial, -1);
        assert.equal(item("DriveBoost").label, "Vol Boost");
    });

    test("a static keeps its text; a closed drop-down is one line high at its place", () => {
        assert.deepEqual([item("StaticDrive").text, item("StaticDrive").label], ["Drive", "Drive"]);
        const list = item("AmpModel");
        assert.deepEqual([list.x, list.y, list.w, list.h], [20, 220, 150, kClosedListHeight]);
    });

    test("the patch strip takes the room under the lowest window", () => {
        assert.deepEqual(plan.strip, { x: 0, y: 465, w: 700, h: 50 });
    });
});

describe("slider keys", () => {
    const item = { maximum: 127, pageStep: 25 };
    // Vertical sliders start at the top, as the desktop's: Up moves the thumb up, towards 0.
    const cases: [string, boolean, number, number | null][] = [
        ["ArrowUp", true, 10, 9],
        ["ArrowDown", true, 10, 11],
        ["PageUp", true, 60, 35],
        ["PageDown", true, 60, 85],
        ["ArrowUp", false, 10, 11],
        ["ArrowRight", false, 10, 11],
        ["ArrowLeft", false, 10, 9],
        ["PageUp", false, 60, 85],
        ["Home", true, 60, 0],
        ["End", false, 60, 127],
        ["Tab", true, 60, null],
        ["a", false, 60, null],
    ];
    for (const [key, vertical, from, to] of cases)
        test(`${key} on a ${vertical ? "vertical" : "horizontal"} slider at ${from}`, () => {
            assert.equal(sliderKeyStep(key, vertical, item, from), to);
        });
});
