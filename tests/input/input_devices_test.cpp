// SPDX-License-Identifier: MIT
// The input devices over the DirectInput stand-in on the headless backend: every creation failure, the
// release order, lost devices while polling, and polling an empty object.
#include <gtest/gtest.h>

#include <cstring>

#include "input/input_devices.h"
#include "platform/common/dinput_seam.h"
#include "platform/headless/headless.h"

namespace {

class InputDevicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dinputSeamReset();
        headlessClearMessageBoxes();
        std::memset(&devices, 0, sizeof devices);
    }
    void TearDown() override {
        devices.release();
        EXPECT_EQ(dinputSeamLiveObjects(), 0);
    }

    // The calls that give objects up, in the order they were made.
    std::vector<std::string> releases() const {
        std::vector<std::string> out;
        for (const std::string& call : dinputSeamLog()) {
            if (call.find(".Release") != std::string::npos || call.find(".Unacquire") != std::string::npos) {
                out.push_back(call);
            }
        }
        return out;
    }

    bool called(const std::string& name) const {
        for (const std::string& call : dinputSeamLog()) {
            if (call == name) return true;
        }
        return false;
    }

    void expectOneBox(const char* text) {
        ASSERT_EQ(headlessMessageBoxes().size(), 1u);
        EXPECT_EQ(headlessMessageBoxes()[0].caption, "ERROR");
        EXPECT_EQ(headlessMessageBoxes()[0].text, text);
        EXPECT_EQ(headlessMessageBoxes()[0].style, static_cast<UINT>(MB_OK));
    }

    void expectEmpty() {
        EXPECT_EQ(devices.directInput, nullptr);
        EXPECT_EQ(devices.keyboard, nullptr);
        EXPECT_EQ(devices.mouse, nullptr);
        EXPECT_EQ(dinputSeamLiveObjects(), 0);
    }

    InputDevices devices;
};

const std::vector<std::string> everything = {"mouse.Unacquire",    "mouse.Release", "keyboard.Unacquire",
                                             "keyboard.Release", "dinput.Release"};
const std::vector<std::string> keyboardAndInterface = {"keyboard.Unacquire", "keyboard.Release", "dinput.Release"};

struct CreationFailure {
    DinputCall call;
    DinputDevice device;
    const char* text;
    bool result;
    std::vector<std::string> released;
};

TEST_F(InputDevicesTest, EveryCreationFailureShowsItsMessageAndReleasesInOrder) {
    const CreationFailure cases[] = {
        {DinputCall::CreateInterface, DinputDevice::None, "Could not create main DInput object", false, {}},
        {DinputCall::CreateDevice, DinputDevice::Keyboard, "Could not create keyboard's object", false,
         {"dinput.Release"}},
        {DinputCall::SetDataFormat, DinputDevice::Keyboard, "Could not set keyboard's data format", false,
         keyboardAndInterface},
        {DinputCall::SetCooperativeLevel, DinputDevice::Keyboard, "Could not set keyboard's cooperation level",
         false, keyboardAndInterface},
        {DinputCall::CreateDevice, DinputDevice::Mouse, "Could not set create the mouse device", false,
         keyboardAndInterface},
        {DinputCall::SetDataFormat, DinputDevice::Mouse, "Could not set the mouse's data format", false, everything},
        {DinputCall::SetCooperativeLevel, DinputDevice::Mouse, "Could not set the mouse's behavior", false,
         everything},
        {DinputCall::Acquire, DinputDevice::Mouse, "Could not acquire the mouse", true, everything},
        {DinputCall::GetDeviceState, DinputDevice::Mouse, "The mouse has been lost in initialization", true,
         everything},
    };
    for (const CreationFailure& failure : cases) {
        SCOPED_TRACE(failure.text);
        SetUp();
        dinputSeamFail(failure.call, failure.device);
        EXPECT_EQ(devices.create(), failure.result);
        expectOneBox(failure.text);
        expectEmpty();
        EXPECT_EQ(releases(), failure.released);
        if (failure.call == DinputCall::Acquire) {
            EXPECT_FALSE(called("mouse.GetDeviceState"));
        }
    }
}

TEST_F(InputDevicesTest, KeyboardAcquireFailureAtCreationIsIgnored) {
    dinputSeamFail(DinputCall::Acquire, DinputDevice::Keyboard);
    EXPECT_TRUE(devices.create());
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_NE(devices.keyboard, nullptr);
    EXPECT_NE(devices.mouse, nullptr);
}

TEST_F(InputDevicesTest, CreatePollAndReleaseWithNothingPressed) {
    std::memset(keyboardState, 0xFF, sizeof keyboardState);
    mouseState.lX = 7;
    ASSERT_TRUE(devices.create());
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_EQ(dinputSeamLiveObjects(), 3);
    EXPECT_EQ(mouseState.lX, 0);  // the first read at creation
    devices.poll();
    for (int key = 0; key < 256; ++key) ASSERT_EQ(keyboardState[key], 0) << key;
    EXPECT_EQ(devices.mouseX, 0);
    EXPECT_EQ(devices.mouseWheel, 0);
    devices.release();
    expectEmpty();
    EXPECT_EQ(releases(), everything);
    devices.release();  // nothing left: nothing happens
    EXPECT_EQ(releases(), everything);
}

TEST_F(InputDevicesTest, LostKeyboardIsReacquiredSilently) {
    ASSERT_TRUE(devices.create());
    dinputSeamReset();
    dinputSeamLose(DinputDevice::Keyboard);
    keyboardState[5] = 0x80;
    devices.poll();
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_TRUE(called("keyboard.Acquire"));
    EXPECT_EQ(keyboardState[5], 0x80);  // not read again in the same poll
    EXPECT_NE(devices.keyboard, nullptr);
    devices.poll();
    EXPECT_EQ(keyboardState[5], 0);
}

TEST_F(InputDevicesTest, FailedKeyboardReacquireReleasesEverything) {
    ASSERT_TRUE(devices.create());
    dinputSeamReset();
    dinputSeamLose(DinputDevice::Keyboard);
    dinputSeamFail(DinputCall::Acquire, DinputDevice::Keyboard);
    devices.poll();
    expectOneBox("Keyboard has been lost");
    expectEmpty();
    EXPECT_FALSE(called("mouse.GetDeviceState"));
    EXPECT_EQ(releases(), everything);
    devices.poll();  // the rest of the pass: nothing to read, no more boxes
    EXPECT_EQ(headlessMessageBoxes().size(), 1u);
}

TEST_F(InputDevicesTest, FailedMouseReacquireReleasesEverything) {
    ASSERT_TRUE(devices.create());
    dinputSeamReset();
    dinputSeamLose(DinputDevice::Mouse);
    dinputSeamFail(DinputCall::Acquire, DinputDevice::Mouse);
    devices.poll();
    expectOneBox("The mouse has been lost");
    expectEmpty();
    EXPECT_EQ(releases(), everything);
}

TEST_F(InputDevicesTest, OtherReadFailuresAreIgnored) {
    ASSERT_TRUE(devices.create());
    dinputSeamReset();
    dinputSeamFail(DinputCall::GetDeviceState, DinputDevice::Keyboard);
    dinputSeamFail(DinputCall::GetDeviceState, DinputDevice::Mouse);
    devices.poll();
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_FALSE(called("keyboard.Acquire"));
    EXPECT_FALSE(called("mouse.Acquire"));
    EXPECT_NE(devices.mouse, nullptr);
}

TEST_F(InputDevicesTest, PollOnAnEmptyObjectCopiesTheMouseFields) {
    mouseState.lX = 5;
    mouseState.lY = -3;
    mouseState.lZ = 120;
    devices.poll();
    EXPECT_EQ(devices.mouseX, 5);
    EXPECT_EQ(devices.mouseY, -3);
    EXPECT_EQ(devices.mouseWheel, 120);
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_TRUE(dinputSeamLog().empty());
}

TEST(DirectInputStandIn, DeviceContract) {
    dinputSeamReset();
    LPDIRECTINPUTA input = nullptr;
    EXPECT_LT(DirectInputCreateA(nullptr, 0x0800, &input, nullptr), 0);
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0700, &input, nullptr), DI_OK);
    LPDIRECTINPUTDEVICEA device = nullptr;
    GUID unknown = GUID_SysMouse;
    unknown.Data1 = 1;
    EXPECT_LT(input->CreateDevice(unknown, &device, nullptr), 0);
    ASSERT_EQ(input->CreateDevice(GUID_SysMouse, &device, nullptr), DI_OK);
    DIMOUSESTATE state;
    EXPECT_LT(device->Acquire(), 0);  // no data format yet
    EXPECT_EQ(device->SetDataFormat(&c_dfDIMouse), DI_OK);
    EXPECT_LT(device->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), 0);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    EXPECT_LT(device->GetDeviceState(sizeof state, &state), 0);  // not acquired
    EXPECT_NE(device->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_LT(device->GetDeviceState(256, &state), 0);  // wrong size: nothing written past the state
    EXPECT_EQ(device->GetDeviceState(sizeof state, &state), DI_OK);
    dinputSeamLose(DinputDevice::Mouse);
    EXPECT_EQ(device->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->GetDeviceState(sizeof state, &state), DI_OK);
    device->Release();
    input->Release();
    EXPECT_EQ(dinputSeamLiveObjects(), 0);
}

}  // namespace
