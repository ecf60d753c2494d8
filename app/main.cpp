#include "app/driver.h"
#include "app/heap_reservation.h"

int main(int argc, char* argv[]) {
    reserveHeapFor(argc > 1 ? argv[1] : nullptr);
    return runOrvane(argc, argv);
}
