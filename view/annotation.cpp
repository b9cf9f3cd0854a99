#include "view/annotation.h"

namespace annotation {

bool Object::operator==(const Object& o) const {
    return kind == o.kind && a == o.a && b == o.b && colour == o.colour && width == o.width &&
           fontHeight == o.fontHeight && face == o.face && balloon == o.balloon && text == o.text;
}

bool hasMask(const std::vector<Object>& objects) {
    for (const Object& o : objects) {
        if (o.kind == Kind::mask)
            return true;
    }
    return false;
}

}  // namespace annotation
