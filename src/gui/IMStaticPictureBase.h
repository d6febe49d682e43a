#pragma once
// A static picture (texture view) or label (text view): a view control with nothing added.

#include "gui/IMViewControl.h"

template <typename V> class IMStaticPictureBase : public IMViewControl<V> {
public:
    IMStaticPictureBase(IMContainer* parent, int layer) : IMViewControl<V>(parent, layer) {}
};
