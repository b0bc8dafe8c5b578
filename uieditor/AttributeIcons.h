#pragma once

#include <QPixmap>

// The small pictures beside the unit attribute editor's numeric fields.
enum class AttributeIcon {
    Cost,
    Movement,
    Fuel,
    Ammo,
    Range,
    Initiative,
    Spotting,
    HardAttack,
    SoftAttack,
    AirAttack,
    NavalAttack,
    GroundDefense,
    AirDefense,
    CloseDefense,
    RangeDefense,
};

// Draws the picture of an attribute; needs a running QGuiApplication.
QPixmap DrawAttributeIcon(AttributeIcon icon);
