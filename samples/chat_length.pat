patch:Chat line length
description:The longest line you may type into the chat box, in characters (1 to 65535). VP ships with 255.
param:num|255
location:C7442410,6681F9
