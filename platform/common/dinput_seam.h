// SPDX-License-Identifier: MIT
// Test seam of the DirectInput stand-in: make any one call fail, lose a device, and see what was called.
// Platform-only: the show never includes this.
#pragma once

#include <string>
#include <vector>

enum class DinputCall { CreateInterface, CreateDevice, SetDataFormat, SetCooperativeLevel, Acquire, GetDeviceState };
enum class DinputDevice { None, Keyboard, Mouse };

// No failures, no lost devices, an empty call log.
void dinputSeamReset();
// The call on that device fails (DIERR_GENERIC) `count` more times (-1: until reset). CreateInterface takes
// DinputDevice::None.
void dinputSeamFail(DinputCall call, DinputDevice device, int count = -1);
// Existing and later devices of that kind report DIERR_INPUTLOST until they are acquired again.
void dinputSeamLose(DinputDevice device);
// "keyboard.Acquire", "mouse.Release", "dinput.CreateDevice", ...: every call on the stand-in's objects in order.
const std::vector<std::string>& dinputSeamLog();
// Objects created and not yet released.
int dinputSeamLiveObjects();
