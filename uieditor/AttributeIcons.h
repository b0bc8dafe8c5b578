#pragma once

#include <QPixmap>

// The small pictures beside the unit attribute editor's numeric fields.
#include "data/UnitFields.h"

// Draws the picture of an attribute (empty for None); needs a running
// QGuiApplication.
QPixmap DrawAttributeIcon(AttributeIcon icon);
