patch:No description
param:text|kept
location:AABB
