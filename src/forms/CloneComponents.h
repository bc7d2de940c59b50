#pragma once
// Copying a designed channel strip once more for a further card: the named child controls of a
// container are copied into a destination (which may be the container itself), shifted by an
// offset, descending into panels and group boxes, and every copy is handed to a callback.
//
// Copies are unnamed, so a later call never copies them again; they are owned by the window that
// holds the source. What a copy takes from its original depends on its class (labels, push
// buttons, speed buttons, check boxes, radio buttons, sliders, level meters, panels, group boxes
// and bevels); anything else that is named stops the copying with an EComponentError naming it.

#include "toolkit/TWinControl.h"

#include <functional>

// Called for every copy at every depth, after its place, size and tag were set. It may change the
// copy, rename it, or free it and clear the reference, which drops the copy.
using TCloneCallback = std::function<void(TObject* context, TControl*& copy)>;

// First-level copies are placed offsetX, offsetY from their originals; copies inside a copied
// panel or group box keep their places relative to it. Pending messages run before each child is
// copied and after each copy is inserted. Copies made before an error stay owned by the window but
// are inserted nowhere.
void CloneComponents(TWinControl* source, TWinControl* destination, int offsetX, int offsetY,
                     const TCloneCallback& callback, TObject* context);
