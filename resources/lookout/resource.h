// Resource ids of Lookout.exe: the numbers the program addresses its resources by.
#pragma once
