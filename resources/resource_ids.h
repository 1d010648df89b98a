// Resource numbers shared by the .rc file and the code.
#pragma once

#define IDI_QUORBEL 1
#define IDR_BANNER 101
