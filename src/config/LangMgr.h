#pragma once
#include <string>
#include <vector>

namespace tavelapp {

// The languages installed in the settings folder's Langs folder.
class LangMgr {
public:
    class List {
    public:
        struct Item {
            std::wstring id;    // file name without extension, lower-cased
            std::wstring name;  // Info/Name, empty when missing
        };
        std::vector<Item> items;
    };

    // In the order the file system lists the files.
    static List list();
    static List list(const std::wstring& langsFolder);
};

}  // namespace tavelapp
