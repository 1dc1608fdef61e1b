#include "vending.hpp"

#include <algorithm>
#include <iomanip>
#include <iostream>

float wallet = 0.0F;

const Beverage* find_beverage(int selection)
{
    const auto* found = std::find_if(beverages.begin(), beverages.end(),
                                     [selection](const Beverage& beverage) { return beverage.selection == selection; });
    return found == beverages.end() ? nullptr : found;
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
