// libvyn.so: the framework's static libraries, whole, as one shared library (see CMakeLists.txt).
