#include "framework/script/message/TMessage.h"

const void* TMessage::ClassId() {
    static const char id = 0;
    return &id;
}
