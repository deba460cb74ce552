patch:Skip the splash screen
patch:Splash screen (older builds)
description:Starts VP without its splash screen. Works on new and older builds alike: whichever site the build has is patched.
param:yn|Skip:9090,9090|Show:7407,7405
location:or|85C00F84,85C0E8
