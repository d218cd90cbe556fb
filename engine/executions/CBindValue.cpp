#include "CBindValue.h"

std::string BindTypeName(std::int64_t type) {
    switch (type) {
    case 1:
        return "VARCHAR2";
    case 2:
        return "NUMBER";
    case 12:
        return "DATE";
    case 23:
        return "RAW";
    case 96:
        return "CHAR";
    case 112:
        return "CLOB";
    case 113:
        return "BLOB";
    case 180:
        return "TIMESTAMP";
    case 181:
        return "TIMESTAMP WITH TIME ZONE";
    default:
        return "type " + std::to_string(type);
    }
}
