#include "vending.hpp"

#include <iomanip>
#include <iostream>

float wallet = 0.0F;

const Beverage* find_beverage(int selection)
{
    // A plain loop rather than std::find_if, whose iterator is a pointer in
    // some libraries and a class in others.
    for (const Beverage& beverage : beverages) {
        // cppcheck-suppress useStlAlgorithm
        if (beverage.selection == selection) {
            return &beverage;
        }
    }
    return nullptr;
}

void show_menu()
{
    // Set on every call rather than once, so the balance always shows as
    // dollars and cents (10.00, not 10) whatever else was written before.
    std::cout << std::fixed << std::setprecision(2);
    std::cout << "Current wallet size: " << wallet << "\n";
    for (const Beverage& beverage : beverages) {
        std::cout << beverage.menu_line;
    }
    std::cout << "Please enter a number from 1-5 to pick a beverage: ";
}
