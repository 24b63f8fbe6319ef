#pragma once

// The exit-action list: routines run once, in the order of registration, when the program ends.

namespace kovarra {

// Each action is given its 0-based position in the list.
using ExitAction = void (*)(int position);

// Appends the action unless it is already in the list.
void RegisterExitAction(ExitAction action);
// Runs every action in order, then empties the list, so a second call runs nothing.
void RunExitActions();
// Empties the list without running it (the end after a fatal start-up error).
void DiscardExitActions();

}  // namespace kovarra
